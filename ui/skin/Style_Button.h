// The skin style that paints a background skin chosen by state under a centred caption.
#pragma once

#include <Style.h>

// Reads the four state skins, `scaleGrid`, `textColor` (white by default) and `downOffset`.
class Style_Button : public Style {
public:
    Style_Button() = default;
    void draw(DeviceContext dc, const Rect& rect, Control* control) override;
};
