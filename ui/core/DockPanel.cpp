// DockPanel layout: each child takes a strip off one edge of what is left; the last takes the rest.
#include "DockPanel.h"

#include <algorithm>

namespace {

int32_t dockSide(const Control& child)
{
    return child.intProperties.value(PropertyKey::dock, keywordValue(PropertyKey::left));
}

} // namespace

Size DockPanel::measureOverride(Size available)
{
    int32_t usedWidth = 0, usedHeight = 0, maxWidth = 0, maxHeight = 0;
    for (Control* child = firstChild(); child; child = child->nextSibling()) {
        Size desired = child->measure(
            {std::max(0, available.width - usedWidth), std::max(0, available.height - usedHeight)});
        int32_t side = dockSide(*child);
        if (side == keywordValue(PropertyKey::left) || side == keywordValue(PropertyKey::right)) {
            maxHeight = std::max(maxHeight, usedHeight + desired.height);
            usedWidth += desired.width;
        } else if (side == keywordValue(PropertyKey::top) || side == keywordValue(PropertyKey::bottom)) {
            maxWidth = std::max(maxWidth, usedWidth + desired.width);
            usedHeight += desired.height;
        }
        // any other keyword adds nothing
    }
    return {std::max(usedWidth, maxWidth), std::max(usedHeight, maxHeight)};
}

Size DockPanel::arrangeOverride(Size finalSize)
{
    int32_t left = 0, top = 0, right = finalSize.width, bottom = finalSize.height;
    int32_t rightUsed = 0, bottomUsed = 0;
    for (Control* child = firstChild(); child; child = child->nextSibling()) {
        int32_t w = child->desiredSize.width, h = child->desiredSize.height;
        int32_t side = dockSide(*child);
        Rect slot;
        if (child == lastChild()) {
            slot = {left, top, right, bottom};
        } else if (side == keywordValue(PropertyKey::left)) {
            slot = {left, top, left + w, bottom};
            left += w;
        } else if (side == keywordValue(PropertyKey::top)) {
            slot = {left, top, right, top + h};
            top += h;
        } else if (side == keywordValue(PropertyKey::right)) {
            rightUsed += w;
            right = finalSize.width - rightUsed;
            // never left of the current left edge, even when wider than what remains
            int32_t slotLeft = std::max(left, right);
            slot = {slotLeft, top, slotLeft + w, bottom};
        } else {
            bottomUsed += h;
            bottom = finalSize.height - bottomUsed;
            int32_t slotTop = std::max(top, bottom);
            slot = {left, slotTop, right, slotTop + h};
        }
        child->arrange(slot);
    }
    return finalSize;
}
