// UTF-8 <-> UTF-16 conversion for package names, portable (no Win32).
#pragma once

#include <string>

// Invalid input is replaced by U+FFFD rather than rejected.
std::u16string utf8ToUtf16(const std::string& text);
std::string utf16ToUtf8(const std::u16string& text);
