// The contact sheet's shared painting helpers.
#include "SheetPainting.h"

#include <Button.h>
#include <SkinPainter.h>
#include <Style.h>
#include <TextDrawing.h>

#include "platform/Gdi.h"

namespace sheet {

void setState(Control& control, uint64_t state)
{
    // the routing states are the window's to set; a sheet without a window plays the window here
    const uint64_t routing = Control::kRoutingStates;
    const uint64_t own = Flag::enabled | Flag::visible | Flag::checked;
    control.writeFlags(own, false);
    control.writeFlags((Flag::visible | state) & own, true);
    control.setRoutingState(routing, false);
    control.setRoutingState(state & routing, true);
}

void paintStyle(HDC dc, const std::wstring& name, const Rect& rect, Control& control)
{
    if (Style* style = skin::style(name))
        style->draw(dc, rect, &control);
}

void paintControl(HDC dc, const std::wstring& style, const Rect& rect, uint64_t state, const std::wstring& caption)
{
    Button control;
    setState(control, state);
    if (!caption.empty())
        control.textProperties.set(PropertyKey::text, caption);
    paintStyle(dc, style, rect, control);
}

void text(HDC dc, const Rect& rect, const std::wstring& value, const std::wstring& font, COLORREF colour, UINT format)
{
    HFONT handle = skin::font(font);
    Rect area = rect;
    drawTextInFont(dc, area, value.c_str(), handle ? handle : skin::font(L"Default"), colour, format);
}

void sheetText(HDC dc, const Rect& rect, const std::wstring& value, int height, bool bold, COLORREF colour, UINT format)
{
    platform::FontHandle font(CreateFontW(-height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0,
                                          CLEARTYPE_QUALITY, 0, L"Segoe UI"));
    Rect area = rect;
    drawTextInFont(dc, area, value.c_str(), font.get(), colour, format);
}

void fillRect(HDC dc, const Rect& rect, COLORREF colour)
{
    platform::BrushHandle brush(CreateSolidBrush(colour));
    RECT r{rect.left, rect.top, rect.right, rect.bottom};
    FillRect(dc, &r, brush.get());
}

} // namespace sheet
