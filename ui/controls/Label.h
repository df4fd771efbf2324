// One line of text in the label's font and colour, aligned within its padding.
#pragma once

#include <Control.h>

#include <cstdint>

// Reads `text`, `font` ("Default"), `color`, `textAlign` and `padding` at every measure and paint.
// Never hit by the mouse unless a script clears mouseTransparent (bit 10).
class Label : public Control {
public:
    static constexpr uint64_t kInitialFlags = Control::kInitialFlags | Flag::mouseTransparent;
    static constexpr int32_t kDefaultColour = 0x0092794D;

    Label();
    // The text's extent in its font (0 × 0 without text) plus the padding.
    Size measureOverride(Size available) override;
    // One line, vertically centred, ampersands shown as they are, cut at the edge, never wrapped.
    void paint(DeviceContext dc, const Rect& windowRect, const Rect& clip) override;
    // Static text, shown to screen readers while it has text. One a script made clickable (it
    // cleared mouseTransparent) is a link: a Tab stop that Enter presses.
    ControlKind kind() const override;

protected:
    explicit Label(uint64_t initialFlags);
};
