// Style_ButtonEx: the state's frame of the strip stretched over the rectangle, then the caption.
#include "Style_ButtonEx.h"

#include "ControlState.h"
#include "SkinImage.h"
#include "SkinPainter.h"
#include "TextDrawing.h"

#include <Control.h>

namespace {
constexpr int32_t kFrames = 4;
}

void Style_ButtonEx::draw(DeviceContext dc, const Rect& rect, Control* control)
{
    // Without its strip the skin is incomplete; the caption still shows, so the button stays usable.
    if (const SkinImage* strip = skin::imageOf(*this, PropertyKey::src)) {
        const int32_t frameHeight = strip->height / kFrames;
        strip->draw(dc, rect.left, rect.top, rect.width(), rect.height(), 0,
                    ControlState::of(control).stripFrame() * frameHeight, strip->width, frameHeight);
    }
    skin::drawFocusSkin(dc, *this, control, rect);
    if (!control)
        return;
    if (const std::wstring* text = control->textProperties.get(PropertyKey::text))
        skin::drawCaption(dc, *this, *control, *text, rect, TextFormat::caption, 0xFFFFFF);
}
