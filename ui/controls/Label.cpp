// Label: measuring and painting one line of text, and its focus cue.
#include "Label.h"

#include <SkinPainter.h>
#include <TextDrawing.h>

#include <platform/Gdi.h>

#include <string>

Label::Label() : Label(kInitialFlags) {}

Label::Label(uint64_t initialFlags) : Control(initialFlags) {}

Size Label::measureOverride(Size)
{
    const Rect padding = rectProperties.value(PropertyKey::padding, Rect{});
    Size text;
    if (const std::wstring* value = textProperties.get(PropertyKey::text)) {
        HDC dc = labelMeasureDC();
        // a font the skin lacks measures in the DC's own font
        platform::SelectScope font(dc, skin::controlFont(*this));
        RECT extent{};
        const int height = DrawTextW(dc, value->c_str(), -1, &extent, TextFormat::measureLabel);
        text = {int32_t(extent.right - extent.left), int32_t(height)};
    }
    return {text.width + padding.left + padding.right, text.height + padding.top + padding.bottom};
}

void Label::paint(DeviceContext dc, const Rect& windowRect, const Rect&)
{
    const Rect padding = rectProperties.value(PropertyKey::padding, Rect{});
    Rect area{windowRect.left + padding.left, windowRect.top + padding.top, windowRect.right - padding.right,
              windowRect.bottom - padding.bottom};
    const std::wstring* text = textProperties.get(PropertyKey::text);
    if (!text)
        return;
    const int32_t align = intProperties.value(PropertyKey::textAlign, keywordValue(PropertyKey::left));
    uint32_t format = TextFormat::labelLeft;
    if (align == keywordValue(PropertyKey::center))
        format = TextFormat::labelCenter;
    else if (align == keywordValue(PropertyKey::right))
        format = TextFormat::labelRight;
    const auto colour = uint32_t(intProperties.value(PropertyKey::color, kDefaultColour));
    // a font the skin lacks draws in the one the window selected
    drawTextInFont(dc, area, text->c_str(), skin::controlFont(*this), colour, format);
    // A label the keyboard reached (a link) has no skin to show it: a thin frame in its own
    // colour around it does.
    if (hasFlags(Flag::focused | Flag::focusCue)) {
        platform::PenHandle pen(CreatePen(PS_SOLID, 1, colour));
        platform::SelectScope penScope(dc, pen.get());
        platform::SelectScope brushScope(dc, GetStockObject(NULL_BRUSH));
        RoundRect(dc, windowRect.left, windowRect.top, windowRect.right, windowRect.bottom, 4, 4);
    }
}

ControlKind Label::kind() const
{
    ControlKind kind;
    kind.shown = AccessShown::withText;
    kind.role = AccessRole::staticText;
    if (!hasFlags(Flag::mouseTransparent)) {
        kind.role = AccessRole::link;
        kind.tabStop = true;
        kind.keyAction = KeyAction::press;
    }
    return kind;
}
