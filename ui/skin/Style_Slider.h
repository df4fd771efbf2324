// The skin style that paints two track halves and the thumb of a slider.
#pragma once

#include <Style.h>

// Reads `trackSkin` (from the start to the thumb), `barSkin` (from the thumb to the end),
// `scaleGrid` (all-zero by default) and the three thumb skins. The thumb's place comes from the
// control (SliderParts).
class Style_Slider : public Style {
public:
    Style_Slider() = default;
    void draw(DeviceContext dc, const Rect& rect, Control* control) override;
};
