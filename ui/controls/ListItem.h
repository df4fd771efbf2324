// One row of a list box.
#pragma once

#include <Control.h>

class ListItem : public Control {
public:
    static constexpr uint64_t kInitialFlags = Control::kInitialFlags | Flag::repaintOnInteraction;

    ListItem();
};
