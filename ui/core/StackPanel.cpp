// StackPanel layout: unbounded along the stacking direction, no spacing but the children's margins.
#include "StackPanel.h"

#include <algorithm>

namespace {

bool isHorizontal(const Control& panel)
{
    return panel.intProperties.value(PropertyKey::orientation, 0) == keywordValue(PropertyKey::horizontal);
}

} // namespace

Size StackPanel::measureOverride(Size available)
{
    bool horizontal = isHorizontal(*this);
    Size room = available;
    if (horizontal)
        room.width = kUnbounded;
    else
        room.height = kUnbounded;
    Size result;
    for (Control* child = firstChild(); child; child = child->nextSibling()) {
        Size desired = child->measure(room);
        if (horizontal) {
            result.width += desired.width;
            result.height = std::max(result.height, desired.height);
        } else {
            result.height += desired.height;
            result.width = std::max(result.width, desired.width);
        }
    }
    return result;
}

Size StackPanel::arrangeOverride(Size finalSize)
{
    bool horizontal = isHorizontal(*this);
    int32_t offset = 0;
    for (Control* child = firstChild(); child; child = child->nextSibling()) {
        if (horizontal) {
            child->arrange({offset, 0, offset + child->desiredSize.width, finalSize.height});
            offset += child->desiredSize.width;
        } else {
            child->arrange({0, offset, finalSize.width, offset + child->desiredSize.height});
            offset += child->desiredSize.height;
        }
    }
    return finalSize;
}
