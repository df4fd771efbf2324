// The header of one tab page: selected by a press, never clicked.
#pragma once

#include "Button.h"

class TabItem : public Button {
public:
    static constexpr uint64_t kInitialFlags = (Button::kInitialFlags & ~Flag::captureOnPress) | Flag::tabItemMark;

    TabItem();
    // Deletes the page with the item.
    ~TabItem() override;

    // Owned: the page the tab control shows while this item is selected. It is not in the tree's
    // child lists, so nothing else deletes it. Null until set.
    Control* content = nullptr;
};
