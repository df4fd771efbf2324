// Style_ToggleIconButton: one background for both checked states; icon and caption by the checked bit.
#include "Style_ToggleIconButton.h"

#include "ControlState.h"
#include "SkinPainter.h"

#include <Control.h>

void Style_ToggleIconButton::draw(DeviceContext dc, const Rect& rect, Control* control)
{
    const ControlState state = ControlState::of(control);
    skin::drawSkin(dc, *this, state.toggleIconBackground(), rect);
    skin::drawFocusSkin(dc, *this, control, rect);
    if (!control)
        return;
    const PropertyKey iconKey = state.checked ? PropertyKey::offIcon : PropertyKey::icon;
    const std::wstring* text = control->textProperties.get(state.checked ? PropertyKey::offText : PropertyKey::text);
    // an empty caption is neither measured nor drawn
    if (text && text->empty())
        text = nullptr;
    skin::drawIconAndCaption(dc, *this, *control, rect, skin::imageOf(*control, iconKey), text, 0x000000);
}
