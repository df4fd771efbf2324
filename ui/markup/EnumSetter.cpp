// The keyword attribute setter.
#include "EnumSetter.h"

#include <Object.h>

namespace duiField {

namespace {

// The keywords are the entries 87-99 of the property-name table, tried in table order.
constexpr int kFirstKeyword = 87;
constexpr int kLastKeyword = 99;

} // namespace

// Every keyword is accepted for every keyword attribute: the reader decides what it means, and
// an unknown word (letter case counts) stores 0, which no reader recognises.
void EnumSetter::apply(Object* object, const wchar_t* value)
{
    std::wstring_view text = value ? std::wstring_view(value) : std::wstring_view();
    int32_t stored = 0;
    for (int entry = kFirstKeyword; entry <= kLastKeyword; ++entry) {
        PropertyKey keyword = propertyKeyAt(entry);
        if (propertyName(keyword) == text) {
            stored = keywordValue(keyword);
            break;
        }
    }
    object->intProperties.set(key, stored);
}

} // namespace duiField
