// UTF-8 <-> UTF-16 conversion, portable (no Win32).
#include "Utf.h"

#include <cstdint>

std::u16string utf8ToUtf16(std::string_view text)
{
    std::u16string out;
    size_t i = 0, n = text.size();
    auto byte = [&](size_t k) { return uint8_t(text[k]); };
    while (i < n) {
        uint32_t c = byte(i);
        size_t extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : 99;
        if (extra == 99 || i + extra >= n) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        uint32_t cp = extra == 0 ? c : extra == 1 ? c & 0x1F : extra == 2 ? c & 0x0F : c & 0x07;
        bool ok = true;
        for (size_t k = 1; k <= extra; ++k) {
            uint8_t b = byte(i + k);
            if ((b & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            cp = cp << 6 | (b & 0x3F);
        }
        static const uint32_t minimum[] = {0, 0x80, 0x800, 0x10000};
        if (!ok || cp < minimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(char16_t(0xD800 | cp >> 10));
            out.push_back(char16_t(0xDC00 | (cp & 0x3FF)));
        } else {
            out.push_back(char16_t(cp));
        }
        i += extra + 1;
    }
    return out;
}

std::string utf16ToUtf8(std::u16string_view text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        if (cp < 0x80) {
            out.push_back(char(cp));
        } else if (cp < 0x800) {
            out.push_back(char(0xC0 | cp >> 6));
            out.push_back(char(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(char(0xE0 | cp >> 12));
            out.push_back(char(0x80 | (cp >> 6 & 0x3F)));
            out.push_back(char(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(char(0xF0 | cp >> 18));
            out.push_back(char(0x80 | (cp >> 12 & 0x3F)));
            out.push_back(char(0x80 | (cp >> 6 & 0x3F)));
            out.push_back(char(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

#ifdef _WIN32
static_assert(sizeof(wchar_t) == sizeof(char16_t), "Win32 wide strings are UTF-16");

std::wstring toWide(std::u16string_view text)
{
    return std::wstring(text.begin(), text.end());
}

std::u16string toUtf16(std::wstring_view text)
{
    return std::u16string(text.begin(), text.end());
}

std::wstring utf8ToWide(std::string_view text)
{
    return toWide(utf8ToUtf16(text));
}

std::wstring utf8ToWide(const char* text)
{
    return text ? utf8ToWide(std::string_view(text)) : std::wstring();
}

std::string wideToUtf8(std::wstring_view text)
{
    return utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()));
}
#endif
