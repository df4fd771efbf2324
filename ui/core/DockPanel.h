// Docks its children to the edges in order; the last child fills what remains.
#pragma once

#include "Panel.h"

class DockPanel : public Panel {
public:
    Size measureOverride(Size available) override;
    Size arrangeOverride(Size finalSize) override;
};
