// The skin style that paints a background skin by state with an icon and a caption.
#pragma once

#include <Style.h>

// Reads the four state skins, `scaleGrid`, `textPlacement` (right by default), `iconGap` (2),
// `textColor` (black) and `downOffset`; the control gives `icon`, `text` and `font`.
class Style_IconButton : public Style {
public:
    Style_IconButton() = default;
    void draw(DeviceContext dc, const Rect& rect, Control* control) override;
};
