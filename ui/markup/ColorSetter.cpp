// The colour attribute setter.
#include "ColorSetter.h"

#include "SetterText.h"
#include "ValueFormats.h"

#include <Object.h>

namespace duiField {

// The digits are stored in written order, which the painters hand on as a COLORREF: the last
// pair is the red component.
void ColorSetter::apply(Object* object, const wchar_t* value)
{
    object->intProperties.set(key, parseColor(setterText(value)));
}

} // namespace duiField
