// The integer attribute setter.
#include "IntSetter.h"

#include "SetterText.h"
#include "ValueFormats.h"

#include <Object.h>

namespace duiField {

void IntSetter::apply(Object* object, const wchar_t* value)
{
    object->intProperties.set(key, parseInt(setterText(value)));
}

} // namespace duiField
