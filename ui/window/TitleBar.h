// The strip that drags its window.
#pragma once

#include <Control.h>

class TitleBar : public Control {
public:
    static constexpr uint64_t kInitialFlags = Control::kInitialFlags;

    TitleBar();
};
