// The state bits a skin reads from its control, and the rules that turn them into an image or a strip frame.
#pragma once

#include <PropertyKey.h>

#include <cstdint>

class Control;

// A snapshot of the control's flag word, taken once per paint. The only place in the skins that
// reads the flag word, so that its representation can change in one place.
struct ControlState {
    bool enabled = true;
    bool focused = false;
    bool pressed = false;   // holds the mouse capture after a left press, or held down by Space
    bool focusCue = false;  // focused, in a window that shows focus cues (the keyboard was used)
    bool hovered = false;
    bool checked = false;   // a slider uses it for "the pointer is over the thumb"

    static ControlState of(const Control* control);

    // Each rule tests top to bottom and the first match picks the image property.
    // not enabled → disabledSkin; pressed or checked → downSkin; focused or hovered → overSkin; upSkin
    PropertyKey skinByState() const;
    // not enabled → disabledSkin; hovered → overSkin; upSkin (no pressed look, focus ignored)
    PropertyKey editSkin() const;
    // the four tests (disabled, pressed, hovered, up) on the checked or the unchecked skins
    PropertyKey toggleSkin() const;
    // not enabled → disabledSkin; pressed → downSkin; hovered → overSkin; upSkin (checked and focus ignored)
    PropertyKey toggleIconBackground() const;
    // as toggleSkin, on the icons
    PropertyKey checkIcon() const;
    // 3 disabled, 2 pressed, 1 hovered, 0 otherwise: the frame of a 4-frame strip
    int32_t stripFrame() const;
    // stripFrame, plus 4 when checked: the frame of an 8-frame strip
    int32_t checkedStripFrame() const;
};
