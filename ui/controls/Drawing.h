// A picture from the skin images.
#pragma once

#include <Control.h>

class Drawing : public Control {
public:
    static constexpr uint64_t kInitialFlags = Control::kInitialFlags | Flag::mouseTransparent;

    Drawing();
    const wchar_t* className() const override;
};
