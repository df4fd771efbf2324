// The push button and the base of the button family: a press released inside posts Click.
#pragma once

#include <Control.h>

class Button : public Control {
public:
    static constexpr uint64_t kInitialFlags =
        Control::kInitialFlags | Flag::repaintOnInteraction | Flag::captureOnPress | Flag::pressClearsFocus;

    Button();
    const wchar_t* className() const override;
    // A Tab stop clicked by Space and Enter, a push button to screen readers, checkable by scripts.
    ControlKind kind() const override;

protected:
    explicit Button(uint64_t initialFlags);

private:
    static void onLButtonUp(void* target, Control* control, ControlEvent* event);
};
