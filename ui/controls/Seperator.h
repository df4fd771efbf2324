// A dividing line.
#pragma once

#include <Control.h>

class Seperator : public Control {
public:
    static constexpr uint64_t kInitialFlags = Control::kInitialFlags | Flag::mouseTransparent;

    Seperator();
};
