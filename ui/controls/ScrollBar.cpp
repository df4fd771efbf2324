// ScrollBar: a scroll bar with arrows, track and thumb.
#include "ScrollBar.h"

#include <SkinPainter.h>

#include <algorithm>

ScrollBar::ScrollBar() : Control(kInitialFlags) {}

void ScrollBar::paint(DeviceContext dc, const Rect& windowRect, const Rect&)
{
    skin::paintWith(skin::existingStyleOr(*this, L"vscrollbar.xml"), dc, windowRect, this);
}

Rect ScrollBar::thumbRect() const
{
    if (range <= 0 || page >= range)
        return {};
    // along the bar's axis: the track between the arrows, the thumb's length and its start
    const int64_t track = vertical ? downArrow.top - upArrow.bottom : downArrow.left - upArrow.right;
    const int64_t length = std::max<int64_t>(20, int64_t(page) * track / range + 1);
    const int64_t start = (vertical ? upArrow.bottom : upArrow.right) + (track - length) * position / (range - page);
    if (vertical)
        return {0, int32_t(start), rect.width(), int32_t(start + length)};
    return {int32_t(start), 0, int32_t(start + length), rect.height()};
}
