// A value picked by dragging a thumb along a track.
#pragma once

#include <Control.h>
#include <SliderParts.h>

class Slider : public Control, public SliderParts {
public:
    static constexpr uint64_t kInitialFlags = Control::kInitialFlags | Flag::repaintOnInteraction | Flag::captureOnPress | Flag::pressClearsFocus | Flag::wheelAdjusts;

    Slider();
    // The style named by `style` when it exists, "slider.xml" otherwise.
    void paint(DeviceContext dc, const Rect& windowRect, const Rect& clip) override;
    // The thumb at the value's place along the slider: its centre runs from half a thumb in from
    // one end to half a thumb in from the other.
    Rect thumbRect(Size thumb) const override;

    int32_t value = 50;     // 0 … maximum
    int32_t maximum = 100;
};
