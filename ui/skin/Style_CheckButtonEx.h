// The skin style that paints one frame of an eight-frame strip with the text beside it.
#pragma once

#include <Style.h>

// Reads `src` (a vertical strip of 8 equal frames: up, over, down, disabled, then the same four
// checked), `iconGap` (2 by default) and `textColor` (white by default).
class Style_CheckButtonEx : public Style {
public:
    Style_CheckButtonEx() = default;
    void draw(DeviceContext dc, const Rect& rect, Control* control) override;
};
