// SingleLineText: bounded insertion, deletion and measuring that keep surrogate pairs whole.
#include "SingleLineText.h"

#include <algorithm>

namespace {

bool isHigh(wchar_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}

bool isLow(wchar_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

} // namespace

std::wstring_view SingleLineText::fitting(std::wstring_view text, int32_t room)
{
    if (room <= 0)
        return {};
    size_t count = std::min(text.size(), size_t(room));
    // cut before a pair whose second half does not fit
    if (count < text.size() && count > 0 && isHigh(text[count - 1]) && isLow(text[count]))
        --count;
    return text.substr(0, count);
}

int32_t SingleLineText::insert(int32_t index, std::wstring_view text)
{
    std::wstring_view part = fitting(text, room());
    chars_.insert(size_t(boundary(index)), part.data(), part.size());
    return int32_t(part.size());
}

void SingleLineText::erase(int32_t from, int32_t to)
{
    int32_t a = boundary(std::min(from, to)), b = boundary(std::max(from, to));
    chars_.erase(size_t(a), size_t(b - a));
}

void SingleLineText::assign(std::wstring_view text)
{
    std::wstring_view part = fitting(text, capacity_);
    chars_.assign(part.data(), part.size());
}

int32_t SingleLineText::boundary(int32_t index) const
{
    index = std::clamp(index, 0, length());
    if (index > 0 && index < length() && isHigh(chars_[size_t(index) - 1]) && isLow(chars_[size_t(index)]))
        --index;
    return index;
}

int32_t SingleLineText::previous(int32_t index) const
{
    index = boundary(index);
    if (index == 0)
        return 0;
    return boundary(index - 1);
}

int32_t SingleLineText::next(int32_t index) const
{
    index = boundary(index);
    if (index >= length())
        return length();
    int32_t units = 1;
    characterAt(index, units);
    return index + units;
}

char32_t SingleLineText::characterAt(int32_t index, int32_t& units) const
{
    const wchar_t c = chars_[size_t(index)];
    if (isHigh(c) && index + 1 < length() && isLow(chars_[size_t(index) + 1])) {
        units = 2;
        return 0x10000 + ((char32_t(c) - 0xD800) << 10) + (char32_t(chars_[size_t(index) + 1]) - 0xDC00);
    }
    units = 1;
    return char32_t(c);
}

int32_t SingleLineText::widthTo(int32_t index, CharWidths& widths) const
{
    index = boundary(index);
    int32_t sum = 0;
    for (int32_t i = 0; i < index;) {
        int32_t units = 1;
        sum += widths.width(characterAt(i, units));
        i += units;
    }
    return sum;
}

int32_t SingleLineText::indexAt(int32_t x, CharWidths& widths) const
{
    int32_t sum = 0;
    for (int32_t i = 0; i < length();) {
        int32_t units = 1;
        const int32_t width = widths.width(characterAt(i, units));
        sum += width;
        if (sum >= x)
            return sum - width / 2 < x ? i + units : i;
        i += units;
    }
    return length();
}
