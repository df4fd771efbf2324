// A button whose clicks toggle its checked state.
#pragma once

#include "Button.h"

class CheckBox : public Button {
public:
    static constexpr uint64_t kInitialFlags = Button::kInitialFlags;

    // Each Click toggles the checked state (ValueChange, repaint) before any handler a script adds.
    CheckBox();
    // The style named by `style`, "checkbox.xml" without one; a `style` naming no style draws nothing.
    void paint(DeviceContext dc, const Rect& windowRect, const Rect& clip) override;
    ControlKind kind() const override;

private:
    static void onClick(void* self, Control*, ControlEvent* event);
};
