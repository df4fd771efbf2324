// The skin style that paints one frame of a four-frame strip under a centred caption.
#pragma once

#include <Style.h>

// Reads `src` (a vertical strip of 4 equal frames: up, over, down, disabled), `textColor` (white
// by default) and `downOffset`.
class Style_ButtonEx : public Style {
public:
    Style_ButtonEx() = default;
    void draw(DeviceContext dc, const Rect& rect, Control* control) override;
};
