// The one UTF-8 <-> UTF-16 conversion of the tree: portable, so the native tools share it.
#pragma once

#include <string>
#include <string_view>

// Invalid input is replaced by U+FFFD rather than rejected: text reaches us from scripts, markup
// and packages, and a bad byte must not cost the rest of the string.
std::u16string utf8ToUtf16(std::string_view text);
std::string utf16ToUtf8(std::u16string_view text);

#ifdef _WIN32
// The same conversion for Win32's wide strings (UTF-16 there). The pointer form reads up to its
// terminating NUL; null is the empty string.
std::wstring utf8ToWide(std::string_view text);
std::wstring utf8ToWide(const char* text);
std::string wideToUtf8(std::wstring_view text);
// Win32 wide strings and portable UTF-16 strings hold the same units; these only change the type.
std::wstring toWide(std::u16string_view text);
std::u16string toUtf16(std::wstring_view text);
#endif
