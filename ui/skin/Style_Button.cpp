// Style_Button: background skin by state, then the caption centred in the whole rectangle.
#include "Style_Button.h"

#include "ControlState.h"
#include "SkinPainter.h"
#include "TextDrawing.h"

#include <Control.h>

void Style_Button::draw(DeviceContext dc, const Rect& rect, Control* control)
{
    skin::drawSkin(dc, *this, ControlState::of(control).skinByState(), rect);
    skin::drawFocusSkin(dc, *this, control, rect);
    if (!control)
        return;
    if (const std::wstring* text = control->textProperties.get(PropertyKey::text))
        skin::drawCaption(dc, *this, *control, *text, rect, TextFormat::caption, 0xFFFFFF);
}
