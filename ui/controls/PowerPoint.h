// A slide show that cross-fades through its images.
#pragma once

#include <Control.h>

class PowerPoint : public Control {
public:
    static constexpr uint64_t kInitialFlags = Control::kInitialFlags;

    PowerPoint();
    const wchar_t* className() const override;
};
