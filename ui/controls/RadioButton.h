// A button whose clicks check it; it never unchecks itself.
#pragma once

#include "Button.h"

class RadioButton : public Button {
public:
    static constexpr uint64_t kInitialFlags = Button::kInitialFlags;

    RadioButton();
    // Always the style "radiobutton.xml"; the `style` property is not consulted.
    void paint(DeviceContext dc, const Rect& windowRect, const Rect& clip) override;
};
