// The header of one tab page: selected by a press, never clicked.
#pragma once

#include "Button.h"

class TabItem : public Button {
public:
    static constexpr uint64_t kInitialFlags = (Button::kInitialFlags & ~Flag::captureOnPress) | Flag::tabItemMark;

    TabItem();
};
