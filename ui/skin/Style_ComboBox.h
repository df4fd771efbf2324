// The skin style that paints a background skin by state, the drop button and the chosen text.
#pragma once

#include <Style.h>

// Reads the four state skins, `scaleGrid` and `dropBtn`; the text is black, in the DC's font.
class Style_ComboBox : public Style {
public:
    Style_ComboBox() = default;
    void draw(DeviceContext dc, const Rect& rect, Control* control) override;
};
