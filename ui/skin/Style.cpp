// The plain style's recipe: the background skin chosen by state. Declared with the core's Style.
#include <Style.h>

#include "ControlState.h"
#include "SkinPainter.h"

void Style::draw(DeviceContext dc, const Rect& rect, Control* control)
{
    skin::drawSkin(dc, *this, ControlState::of(control).skinByState(), rect);
    skin::drawFocusSkin(dc, *this, control, rect);
}
