// One row of a list box: its text over the style's band while the pointer is over it.
#pragma once

#include <Control.h>

// The selected item of its list has the checked bit; that is not painted. Properties: `style`,
// `text`, `itemHeight`.
class ListItem : public Control {
public:
    static constexpr uint64_t kInitialFlags = Control::kInitialFlags | Flag::repaintOnInteraction;
    static constexpr int32_t kTextIndent = 10;

    ListItem();
    // Nothing without a `style`; otherwise the style's overSkin while hovered, then the text.
    void paint(DeviceContext dc, const Rect& windowRect, const Rect& clip) override;
    // The available width and `itemHeight`; a square without it.
    Size measureOverride(Size available) override;
    ControlKind kind() const override;
};
