// A button that draws its image under its style.
#pragma once

#include "Button.h"

class ImageButton : public Button {
public:
    static constexpr uint64_t kInitialFlags = Button::kInitialFlags;

    ImageButton();
};
