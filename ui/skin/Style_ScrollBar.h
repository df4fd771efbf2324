// The skin style that paints the track, two arrows and the thumb of a scroll bar.
#pragma once

#include <Style.h>

// Reads `barSkin` and `scaleGrid` (the track), the arrow skins by state, the thumb skins and icons
// and `thumbScaleGrid`. The parts come from the control (ScrollBarParts); a control without them
// gets the track only.
class Style_ScrollBar : public Style {
public:
    Style_ScrollBar() = default;
    void draw(DeviceContext dc, const Rect& rect, Control* control) override;
};
