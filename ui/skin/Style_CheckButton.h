// The skin style that paints a state icon at the left with the text beside it.
#pragma once

#include <Style.h>

// Reads the eight state icons, `iconGap` (2 by default) and `textColor` (white by default). The
// text is drawn in the DC's current font, the window's "Default".
class Style_CheckButton : public Style {
public:
    Style_CheckButton() = default;
    void draw(DeviceContext dc, const Rect& rect, Control* control) override;
};
