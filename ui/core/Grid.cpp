// Grid layout: every child measured with the whole room and arranged over the whole area.
#include "Grid.h"

#include <algorithm>

Size Grid::measureOverride(Size available)
{
    Size result;
    for (Control* child = firstChild(); child; child = child->nextSibling()) {
        Size desired = child->measure(available);
        result.width = std::max(result.width, desired.width);
        result.height = std::max(result.height, desired.height);
    }
    return result;
}

Size Grid::arrangeOverride(Size finalSize)
{
    for (Control* child = firstChild(); child; child = child->nextSibling())
        child->arrange({0, 0, finalSize.width, finalSize.height});
    return finalSize;
}
