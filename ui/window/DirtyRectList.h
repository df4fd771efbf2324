// The pending repaint rectangles of a layered window, merged where they share an edge span.
#pragma once

#include <Geometry.h>

#include <cstddef>

// At most kCapacity rectangles; the window flushes (paints and empties) the list when a new
// rectangle finds it full, so no rectangle is ever dropped.
class DirtyRectList {
public:
    static constexpr size_t kCapacity = 20;

    enum class Added { covered, merged, appended, full };

    // Records `rect`: nothing when a pending rectangle covers it; pending rectangles it covers go;
    // a pending one with the same left and right edges that overlaps or touches it vertically
    // (else the same top and bottom, horizontally) grows to take it in. Otherwise it is appended,
    // or `full` is returned, appending nothing, when the list holds kCapacity rectangles already.
    Added add(const Rect& rect);
    void clear() { count_ = 0; }

    size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }
    const Rect& operator[](size_t i) const { return rects_[i]; }

private:
    Rect rects_[kCapacity];
    size_t count_ = 0;
};
