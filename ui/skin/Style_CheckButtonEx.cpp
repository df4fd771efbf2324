// Style_CheckButtonEx: the state's frame at natural size in the top-left corner, then the text.
#include "Style_CheckButtonEx.h"

#include "ControlState.h"
#include "SkinImage.h"
#include "SkinPainter.h"
#include "TextDrawing.h"

#include <Control.h>

namespace {
constexpr int32_t kFrames = 8;
}

void Style_CheckButtonEx::draw(DeviceContext dc, const Rect& rect, Control* control)
{
    const SkinImage* strip = skin::imageOf(*this, PropertyKey::src);
    int32_t stripWidth = 0;
    if (strip) {
        const int32_t frameHeight = strip->height / kFrames;
        strip->draw(dc, rect.left, rect.top, strip->width, frameHeight, 0,
                    ControlState::of(control).checkedStripFrame() * frameHeight, strip->width, frameHeight);
        stripWidth = strip->width;
    }
    if (!control)
        return;
    if (const std::wstring* text = control->textProperties.get(PropertyKey::text)) {
        Rect textRect = rect;
        textRect.left = rect.left + stripWidth + intProperties.value(PropertyKey::iconGap, 2) + 2;
        drawText(dc, textRect, text->c_str(), uint32_t(intProperties.value(PropertyKey::textColor, 0xFFFFFF)),
                 TextFormat::besideIcon);
    }
}
