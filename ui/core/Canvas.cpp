// Canvas layout: unbounded measuring, children at explicit positions.
#include "Canvas.h"

Size Canvas::measureOverride(Size)
{
    for (Control* child = firstChild(); child; child = child->nextSibling())
        child->measure({kUnbounded, kUnbounded});
    return {0, 0};
}

Size Canvas::arrangeOverride(Size finalSize)
{
    for (Control* child = firstChild(); child; child = child->nextSibling()) {
        int32_t x = child->intProperties.value(PropertyKey::x, 0);
        int32_t y = child->intProperties.value(PropertyKey::y, 0);
        if (x < 0)
            x += finalSize.width;
        if (y < 0)
            y += finalSize.height;
        child->arrange({x, y, x + child->desiredSize.width, y + child->desiredSize.height});
    }
    return finalSize;
}
