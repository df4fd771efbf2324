// A button that draws its image under its style.
#pragma once

#include "Button.h"

class ImageButton : public Button {
public:
    static constexpr uint64_t kInitialFlags = Button::kInitialFlags;

    ImageButton();
    // The `img` image stretched over the control, then the style named by `style`.
    void paint(DeviceContext dc, const Rect& windowRect, const Rect& clip) override;
};
