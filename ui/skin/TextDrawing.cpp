// Text drawing through DrawTextW, with and without a font of its own, and the label measuring DC.
#include "TextDrawing.h"

#include "platform/Gdi.h"

namespace {

int drawWithRect(HDC dc, Rect& rect, const wchar_t* text, uint32_t format)
{
    RECT r{rect.left, rect.top, rect.right, rect.bottom};
    int height = DrawTextW(dc, text, -1, &r, format);
    rect = {r.left, r.top, r.right, r.bottom};
    return height;
}

} // namespace

int drawText(DeviceContext dc, Rect& rect, const wchar_t* text, uint32_t colour, uint32_t format)
{
    if (!dc || !text)
        return 0;
    SetTextColor(dc, colour);
    return drawWithRect(dc, rect, text, format);
}

int drawTextInFont(DeviceContext dc, Rect& rect, const wchar_t* text, HFONT__* font, uint32_t colour,
                   uint32_t format)
{
    if (!dc || !text)
        return 0;
    platform::SelectScope selected(dc, font);
    SetTextColor(dc, colour);
    return drawWithRect(dc, rect, text, format);
}

DeviceContext labelMeasureDC()
{
    static platform::MemoryDC dc(nullptr);
    return dc.get();
}
