// The rectangle attribute setter.
#include "RectSetter.h"

#include "SetterText.h"
#include "ValueFormats.h"

#include <Object.h>

namespace duiField {

// Fields the text does not supply are stored as 0.
void RectSetter::apply(Object* object, const wchar_t* value)
{
    int32_t fields[4];
    parseInts(setterText(value), fields, 4);
    object->rectProperties.set(key, Rect{fields[0], fields[1], fields[2], fields[3]});
}

} // namespace duiField
