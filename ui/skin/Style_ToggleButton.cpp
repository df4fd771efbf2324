// Style_ToggleButton: the skin of the toggle-skin rule stretched over the rectangle.
#include "Style_ToggleButton.h"

#include "ControlState.h"
#include "SkinImage.h"
#include "SkinPainter.h"

void Style_ToggleButton::draw(DeviceContext dc, const Rect& rect, Control* control)
{
    skin::drawSkin(dc, skin::imageOf(*this, ControlState::of(control).toggleSkin()), rect, nullptr);
}
