// Style_Edit: the background skin by the edit-skin rule, and the focus cue over it.
#include "Style_Edit.h"

#include "ControlState.h"
#include "SkinPainter.h"

void Style_Edit::draw(DeviceContext dc, const Rect& rect, Control* control)
{
    const ControlState state = ControlState::of(control);
    skin::drawSkin(dc, *this, state.editSkin(), rect);
    if (state.enabled)
        skin::drawFocusSkin(dc, *this, control, rect);
}
