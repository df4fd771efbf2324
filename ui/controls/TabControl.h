// Tab items over one shown page.
#pragma once

#include <Panel.h>

class TabControl : public Panel {
public:
    static constexpr uint64_t kInitialFlags = Panel::kInitialFlags;

    TabControl();
};
