// ControlState: reading the flag word, and the state rules of the skins.
#include "ControlState.h"

#include <Control.h>

ControlState ControlState::of(const Control* control)
{
    ControlState state;
    if (!control)
        return state;
    const uint64_t flags = control->flags();
    state.enabled = (flags & Flag::enabled) != 0;
    state.focused = (flags & Flag::focused) != 0;
    state.pressed = (flags & (Flag::captured | Flag::keyPressed)) != 0;
    state.focusCue = state.focused && (flags & Flag::focusCue) != 0;
    state.hovered = (flags & Flag::hovered) != 0;
    state.checked = (flags & Flag::checked) != 0;
    return state;
}

PropertyKey ControlState::skinByState() const
{
    if (!enabled)
        return PropertyKey::disabledSkin;
    if (pressed || checked)
        return PropertyKey::downSkin;
    if (focused || hovered)
        return PropertyKey::overSkin;
    return PropertyKey::upSkin;
}

PropertyKey ControlState::editSkin() const
{
    if (!enabled)
        return PropertyKey::disabledSkin;
    if (hovered)
        return PropertyKey::overSkin;
    return PropertyKey::upSkin;
}

PropertyKey ControlState::toggleSkin() const
{
    if (checked) {
        if (!enabled)
            return PropertyKey::checkedDisabledSkin;
        if (pressed)
            return PropertyKey::checkedDownSkin;
        if (hovered)
            return PropertyKey::checkedOverSkin;
        return PropertyKey::checkedUpSkin;
    }
    return toggleIconBackground();
}

PropertyKey ControlState::toggleIconBackground() const
{
    if (!enabled)
        return PropertyKey::disabledSkin;
    if (pressed)
        return PropertyKey::downSkin;
    if (hovered)
        return PropertyKey::overSkin;
    return PropertyKey::upSkin;
}

PropertyKey ControlState::checkIcon() const
{
    if (checked) {
        if (!enabled)
            return PropertyKey::checkedDisabledIcon;
        if (pressed)
            return PropertyKey::checkedDownIcon;
        if (hovered)
            return PropertyKey::checkedOverIcon;
        return PropertyKey::checkedUpIcon;
    }
    if (!enabled)
        return PropertyKey::disabledIcon;
    if (pressed)
        return PropertyKey::downIcon;
    if (hovered)
        return PropertyKey::overIcon;
    return PropertyKey::upIcon;
}

int32_t ControlState::stripFrame() const
{
    if (!enabled)
        return 3;
    if (pressed)
        return 2;
    if (hovered)
        return 1;
    return 0;
}

int32_t ControlState::checkedStripFrame() const
{
    return (checked ? 4 : 0) + stripFrame();
}
