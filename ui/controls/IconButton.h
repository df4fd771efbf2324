// A button with an icon look.
#pragma once

#include "Button.h"

class IconButton : public Button {
public:
    static constexpr uint64_t kInitialFlags = Button::kInitialFlags;

    IconButton();
};
