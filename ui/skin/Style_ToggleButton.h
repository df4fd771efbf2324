// The skin style that paints one of eight skins chosen by the checked bit and the state.
#pragma once

#include <Style.h>

// Reads the four state skins and the four checked ones; always stretched, no text.
class Style_ToggleButton : public Style {
public:
    Style_ToggleButton() = default;
    void draw(DeviceContext dc, const Rect& rect, Control* control) override;
};
