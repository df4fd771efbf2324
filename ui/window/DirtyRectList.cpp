// DirtyRectList: the merge rules of a layered window's pending repaint rectangles.
#include "DirtyRectList.h"

namespace {

bool covers(const Rect& outer, const Rect& inner)
{
    return outer.left <= inner.left && outer.top <= inner.top && outer.right >= inner.right &&
           outer.bottom >= inner.bottom;
}

} // namespace

DirtyRectList::Added DirtyRectList::add(const Rect& rect)
{
    if (rect.isEmpty())
        return Added::covered;
    for (size_t i = 0; i < count_; ++i) {
        if (covers(rects_[i], rect))
            return Added::covered;
    }
    // the last rectangle takes the place of a removed one and is examined in its turn
    for (size_t i = 0; i < count_;) {
        if (covers(rect, rects_[i]))
            rects_[i] = rects_[--count_];
        else
            ++i;
    }
    for (size_t i = 0; i < count_; ++i) {
        Rect& pending = rects_[i];
        if (pending.left == rect.left && pending.right == rect.right && rect.bottom >= pending.top &&
            pending.bottom >= rect.top) {
            pending.top = std::min(pending.top, rect.top);
            pending.bottom = std::max(pending.bottom, rect.bottom);
            return Added::merged;
        }
        if (pending.top == rect.top && pending.bottom == rect.bottom && rect.right >= pending.left &&
            pending.right >= rect.left) {
            pending.left = std::min(pending.left, rect.left);
            pending.right = std::max(pending.right, rect.right);
            return Added::merged;
        }
    }
    if (count_ == kCapacity)
        return Added::full;
    rects_[count_++] = rect;
    return Added::appended;
}
