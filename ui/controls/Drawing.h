// A picture from the skin images, stretched over the control.
#pragma once

#include <Control.h>

// The markup's "Image" element. Never hit by the mouse: a picture does not take input.
class Drawing : public Control {
public:
    static constexpr uint64_t kInitialFlags = Control::kInitialFlags | Flag::mouseTransparent;

    Drawing();
    const wchar_t* className() const override;
    // A picture: shown to screen readers only with an `accName`.
    ControlKind kind() const override;
    // The `src` image stretched over the control's rectangle; nothing without one.
    void paint(DeviceContext dc, const Rect& windowRect, const Rect& clip) override;
    // The natural size of the `src` image; 0 × 0 without `src`, or when the image is missing or
    // did not decode.
    Size measureOverride(Size available) override;
};
