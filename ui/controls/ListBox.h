// A scrolling list of equal-height items.
#pragma once

#include "ScrollPanel.h"

class ListBox : public ScrollPanel {
public:
    static constexpr uint64_t kInitialFlags = Panel::kInitialFlags;

    ListBox();
};
