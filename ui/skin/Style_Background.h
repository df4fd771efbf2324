// The skin style that paints one image over the whole rectangle, whatever the control's state.
#pragma once

#include <Style.h>

// Reads `img` and `scaleGrid`.
class Style_Background : public Style {
public:
    Style_Background() = default;
    void draw(DeviceContext dc, const Rect& rect, Control* control) override;
};
