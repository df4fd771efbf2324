// A button that stays pressed or released, click by click.
#pragma once

#include "Button.h"

class ToggleButton : public Button {
public:
    static constexpr uint64_t kInitialFlags = Button::kInitialFlags;

    ToggleButton();

protected:
    explicit ToggleButton(uint64_t initialFlags);
};
