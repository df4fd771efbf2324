// A line or block of text.
#pragma once

#include <Control.h>

class Label : public Control {
public:
    static constexpr uint64_t kInitialFlags = Control::kInitialFlags | Flag::mouseTransparent;

    Label();

protected:
    explicit Label(uint64_t initialFlags);
};
