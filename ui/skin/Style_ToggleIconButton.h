// The skin style that paints a background skin with an icon and caption chosen by the checked bit.
#pragma once

#include <Style.h>

// Reads what Style_IconButton reads; a checked control shows its `offIcon` and `offText`.
class Style_ToggleIconButton : public Style {
public:
    Style_ToggleIconButton() = default;
    void draw(DeviceContext dc, const Rect& rect, Control* control) override;
};
