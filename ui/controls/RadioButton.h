// A button whose clicks check it; it never unchecks itself.
#pragma once

#include "Button.h"

class RadioButton : public Button {
public:
    static constexpr uint64_t kInitialFlags = Button::kInitialFlags;

    // Each Click checks it (ValueChange only when it was unchecked); other radio buttons are left
    // alone: exclusive choices are the script's, which clears the others with setCheck.
    RadioButton();
    // Always the style "radiobutton.xml"; the `style` property is not consulted.
    void paint(DeviceContext dc, const Rect& windowRect, const Rect& clip) override;
    // Radio buttons with one parent are one Tab stop; the arrows move among them.
    ControlKind kind() const override;

private:
    static void onClick(void* self, Control*, ControlEvent* event);
};
