// The size attribute setter.
#include "SizeSetter.h"

#include "SetterText.h"
#include "ValueFormats.h"

#include <Object.h>

namespace duiField {

// Fields the text does not supply are stored as 0.
void SizeSetter::apply(Object* object, const wchar_t* value)
{
    int32_t fields[2];
    parseInts(setterText(value), fields, 2);
    object->sizeProperties.set(key, Size{fields[0], fields[1]});
}

} // namespace duiField
