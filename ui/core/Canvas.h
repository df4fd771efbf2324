// Places each child at its x and y; negative values count from the right or bottom edge.
#pragma once

#include "Panel.h"

class Canvas : public Panel {
public:
    Size measureOverride(Size available) override;
    Size arrangeOverride(Size finalSize) override;
};
