// A button whose clicks toggle its checked state.
#pragma once

#include "Button.h"

class CheckBox : public Button {
public:
    static constexpr uint64_t kInitialFlags = Button::kInitialFlags;

    CheckBox();
};
