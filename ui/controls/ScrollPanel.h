// A panel whose content scrolls.
#pragma once

#include <Panel.h>

class ScrollPanel : public Panel {
public:
    static constexpr uint64_t kInitialFlags = Panel::kInitialFlags;

    ScrollPanel();

protected:
    explicit ScrollPanel(uint64_t initialFlags);
};
