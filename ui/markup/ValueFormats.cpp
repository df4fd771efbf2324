// Value formats of markup attributes.
#include "ValueFormats.h"

#include <climits>

namespace duiField {

namespace {

bool isSpace(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f';
}

// One "%d" conversion from `pos`; advances `pos` past what it read. False when no digit came.
bool readInt(const std::u16string& text, size_t& pos, int32_t* value)
{
    size_t i = pos;
    while (i < text.size() && isSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        negative = text[i++] == u'-';
    size_t digits = i;
    int64_t magnitude = 0;
    while (i < text.size() && text[i] >= u'0' && text[i] <= u'9') {
        if (magnitude <= int64_t(INT_MAX) + 1)
            magnitude = magnitude * 10 + (text[i] - u'0');
        ++i;
    }
    if (i == digits)
        return false;
    int64_t v = negative ? -magnitude : magnitude;
    *value = int32_t(v < INT_MIN ? INT_MIN : v > INT_MAX ? INT_MAX : v);
    pos = i;
    return true;
}

int hexDigit(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return 0;
}

} // namespace

int32_t parseInt(const std::u16string& text)
{
    int32_t value = 0;
    size_t pos = 0;
    readInt(text, pos, &value);
    return value;
}

int parseInts(const std::u16string& text, int32_t* fields, int count)
{
    for (int i = 0; i < count; ++i)
        fields[i] = 0;
    size_t pos = 0;
    for (int i = 0; i < count; ++i) {
        if (i > 0) {
            if (pos >= text.size() || text[pos] != u',')
                return i;
            ++pos;
        }
        if (!readInt(text, pos, &fields[i]))
            return i;
    }
    return count;
}

int32_t parseColor(const std::u16string& text)
{
    int32_t value = 0;
    for (size_t i = 1; i <= 6; ++i)
        value = value * 16 + (i < text.size() ? hexDigit(text[i]) : 0);
    return value;
}

} // namespace duiField
