// Style_IconButton: background skin by state, then the control's icon and caption.
#include "Style_IconButton.h"

#include "ControlState.h"
#include "SkinPainter.h"

#include <Control.h>

void Style_IconButton::draw(DeviceContext dc, const Rect& rect, Control* control)
{
    skin::drawSkin(dc, *this, ControlState::of(control).skinByState(), rect);
    skin::drawFocusSkin(dc, *this, control, rect);
    if (!control)
        return;
    skin::drawIconAndCaption(dc, *this, *control, rect, skin::imageOf(*control, PropertyKey::icon),
                             control->textProperties.get(PropertyKey::text), 0x000000);
}
