// The text attribute setter.
#include "TextSetter.h"

#include <Object.h>

namespace duiField {

// Taken literally: no trimming, and references such as "&amp;" stay as written.
void TextSetter::apply(Object* object, const wchar_t* value)
{
    object->textProperties.set(key, value ? std::wstring(value) : std::wstring());
}

} // namespace duiField
