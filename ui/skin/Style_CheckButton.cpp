// Style_CheckButton: the icon by the check-icon rule, vertically centred at the left, then the text.
#include "Style_CheckButton.h"

#include "ControlState.h"
#include "SkinImage.h"
#include "SkinPainter.h"
#include "TextDrawing.h"

#include <Control.h>

void Style_CheckButton::draw(DeviceContext dc, const Rect& rect, Control* control)
{
    // Without an icon for the state the skin is incomplete; the text still shows, at the left.
    const SkinImage* icon = skin::imageOf(*this, ControlState::of(control).checkIcon());
    int32_t iconWidth = 0;
    if (icon) {
        icon->drawAt(dc, rect.left + 2, (rect.top + rect.bottom - icon->height) / 2);
        iconWidth = icon->width;
    }
    if (!control)
        return;
    if (const std::wstring* text = control->textProperties.get(PropertyKey::text)) {
        Rect textRect = rect;
        textRect.left = rect.left + iconWidth + intProperties.value(PropertyKey::iconGap, 2) + 2;
        drawText(dc, textRect, text->c_str(), uint32_t(intProperties.value(PropertyKey::textColor, 0xFFFFFF)),
                 TextFormat::besideIcon);
    }
}
