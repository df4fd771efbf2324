// The one-line text box.
#pragma once

#include <Control.h>

class TextBox : public Control {
public:
    static constexpr uint64_t kInitialFlags = Flag::enabled | Flag::visible | Flag::repaintOnInteraction | Flag::captureOnPress | Flag::focusOnPress | Flag::doubleClicks;

    TextBox();
    const wchar_t* className() const override;
};
