// Style_CheckButton: the icon by the check-icon rule, vertically centred at the left, its focus cue,
// then the text.
#include "Style_CheckButton.h"

#include "ControlState.h"
#include "SkinImage.h"
#include "SkinPainter.h"
#include "TextDrawing.h"

#include <Control.h>
#include <KeyboardKeys.h>

void Style_CheckButton::draw(DeviceContext dc, const Rect& rect, Control* control)
{
    // Without an icon for the state the skin is incomplete; the text still shows, at the left.
    const ControlState state = ControlState::of(control);
    const SkinImage* icon = skin::imageOf(*this, state.checkIcon());
    int32_t iconWidth = 0;
    if (icon) {
        const int32_t x = rect.left + 2, y = (rect.top + rect.bottom - icon->height) / 2;
        icon->drawAt(dc, x, y);
        iconWidth = icon->width;
        // the focus cue is centred on the icon, a ring around the box
        const SkinImage* cue = state.focusCue ? skin::imageOf(*this, KeyboardKey::focusIcon) : nullptr;
        if (cue)
            cue->drawAt(dc, x + (icon->width - cue->width) / 2, y + (icon->height - cue->height) / 2);
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
