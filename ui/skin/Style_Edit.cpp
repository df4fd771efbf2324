// Style_Edit: the background skin by the edit-skin rule.
#include "Style_Edit.h"

#include "ControlState.h"
#include "SkinPainter.h"

void Style_Edit::draw(DeviceContext dc, const Rect& rect, Control* control)
{
    skin::drawSkin(dc, *this, ControlState::of(control).editSkin(), rect);
}
