// The strip that drags its window.
#pragma once

#include <Control.h>

// A press hands the window to the platform's move loop, which returns once the button is
// released; the press is not marked handled, so handlers added later run after the move.
class TitleBar : public Control {
public:
    static constexpr uint64_t kInitialFlags = Control::kInitialFlags;

    TitleBar();

private:
    static void onLButtonDown(void* target, Control* control, ControlEvent* event);
};
