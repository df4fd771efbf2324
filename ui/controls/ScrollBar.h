// A scroll bar with arrows, track and thumb.
#pragma once

#include <Control.h>

class ScrollBar : public Control {
public:
    static constexpr uint64_t kInitialFlags = Control::kInitialFlags | Flag::repaintOnInteraction | Flag::captureOnPress;

    ScrollBar();
};
