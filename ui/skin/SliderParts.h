// What the slider skin reads from its control beyond the flag word: where the thumb is.
#pragma once

#include <Geometry.h>

// Implemented by the slider.
class SliderParts {
public:
    virtual ~SliderParts() = default;
    // The thumb rectangle in the control's own coordinates for a thumb image of `thumb` pixels
    // (the size of the slider style's thumbUpSkin image).
    virtual Rect thumbRect(Size thumb) const = 0;
};
