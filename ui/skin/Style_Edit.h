// The skin style that paints the background skin of a text field, without a pressed state.
#pragma once

#include <Style.h>

// Reads `upSkin`, `overSkin`, `disabledSkin` and `scaleGrid`. Text, caret and selection are the
// control's own.
class Style_Edit : public Style {
public:
    Style_Edit() = default;
    void draw(DeviceContext dc, const Rect& rect, Control* control) override;
};
