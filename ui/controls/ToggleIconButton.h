// A toggle button with an icon look.
#pragma once

#include "ToggleButton.h"

class ToggleIconButton : public ToggleButton {
public:
    static constexpr uint64_t kInitialFlags = Button::kInitialFlags;

    ToggleIconButton();
};
