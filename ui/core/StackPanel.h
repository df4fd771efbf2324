// Puts its children one after another, vertically unless its orientation says horizontal.
#pragma once

#include "Panel.h"

class StackPanel : public Panel {
public:
    Size measureOverride(Size available) override;
    Size arrangeOverride(Size finalSize) override;
};
