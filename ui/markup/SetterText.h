// The attribute text a setter receives, in the form the value formats read.
#pragma once

#include <platform/Utf.h>

#include <string>

namespace duiField {

// A null value reads as the empty text.
inline std::u16string setterText(const wchar_t* value)
{
    return value ? toUtf16(value) : std::u16string();
}

} // namespace duiField
