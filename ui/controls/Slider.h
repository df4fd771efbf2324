// A value picked by dragging a thumb along a track.
#pragma once

#include <Control.h>

class Slider : public Control {
public:
    static constexpr uint64_t kInitialFlags = Control::kInitialFlags | Flag::repaintOnInteraction | Flag::captureOnPress | Flag::pressClearsFocus | Flag::wheelAdjusts;

    Slider();
};
