// A value picked by dragging a thumb along a track.
#pragma once

#include <Control.h>
#include <SliderParts.h>

// Presses and drags put the thumb's centre under the pointer, the wheel adds 2 per notch; every
// change of the value sends ValueChange (31, direct). The checked bit means "the pointer is over
// the thumb". `orientation` horizontal (the default) or vertical.
class Slider : public Control, public SliderParts, public PickedValue {
public:
    static constexpr uint64_t kInitialFlags = Control::kInitialFlags | Flag::repaintOnInteraction | Flag::captureOnPress | Flag::pressClearsFocus | Flag::wheelAdjusts;

    Slider();
    ControlKind kind() const override;
    bool accessibleValue(std::wstring& out) const override;
    int32_t pickedValue() const override { return value; }
    void pickValue(int32_t v) override { setValue(v); }
    // The style named by `style` when it exists, "slider.xml" otherwise.
    void paint(DeviceContext dc, const Rect& windowRect, const Rect& clip) override;
    // The available size, as high (or, vertical, as wide) as the thumb image.
    Size measureOverride(Size available) override;
    // The thumb at the value's place along the slider: its centre runs from half a thumb in from
    // one end to half a thumb in from the other.
    Rect thumbRect(Size thumb) const override;

    // Limits v to 0 … maximum; a change is stored, repainted and announced with ValueChange.
    void setValue(int32_t v);
    // The value under a pointer in client coordinates: 0 where the track has no length.
    int32_t valueAt(Point client) const;
    // The size of the style's thumbUpSkin image; empty without one.
    Size thumbSize() const;
    bool isVertical() const;

    int32_t value = 50;     // 0 … maximum
    int32_t maximum = 100;

private:
    static void onLButtonDown(void* target, Control* control, ControlEvent* event);
    static void onMouseMove(void* target, Control* control, ControlEvent* event);
    static void onMouseLeave(void* target, Control* control, ControlEvent* event);
    static void onMouseWheel(void* target, Control* control, ControlEvent* event);
};
