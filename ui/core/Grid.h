// Lays every child over its whole area.
#pragma once

#include "Panel.h"

class Grid : public Panel {
public:
    Size measureOverride(Size available) override;
    Size arrangeOverride(Size finalSize) override;
};
