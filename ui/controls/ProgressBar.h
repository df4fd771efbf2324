// A bar showing a position within a range.
#pragma once

#include <Control.h>

class ProgressBar : public Control {
public:
    static constexpr uint64_t kInitialFlags = Control::kInitialFlags | Flag::mouseTransparent;

    ProgressBar();
    const wchar_t* className() const override;
};
