// GdiCharWidths: GDI advance widths behind a cache.
#include "GdiCharWidths.h"

#include <windows.h>

#include <algorithm>

void GdiCharWidths::setDC(DeviceContext dc)
{
    dc_ = dc;
    reset();
}

void GdiCharWidths::reset()
{
    for (auto& page : pages_)
        page.reset();
}

int32_t GdiCharWidths::width(char32_t c)
{
    if (!dc_)
        return 0;
    if (c > 0xFFFF) {
        wchar_t pair[2] = {static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10)),
                           static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF))};
        SIZE size{};
        return GetTextExtentPoint32W(dc_, pair, 2, &size) ? std::max<int32_t>(size.cx, 0) : 0;
    }
    auto& page = pages_[c / kPageSize];
    if (!page) {
        page.reset(new int32_t[kPageSize]);
        std::fill(page.get(), page.get() + kPageSize, -1);
    }
    int32_t& cached = page[c % kPageSize];
    if (cached < 0) {
        INT width = 0;
        cached = GetCharWidth32W(dc_, static_cast<UINT>(c), static_cast<UINT>(c), &width) ? std::max(width, 0) : 0;
    }
    return cached;
}
