// Narrows a device context's clipping to a rectangle for as long as the object lives.
#pragma once

#include "Geometry.h"
#include "NativeTypes.h"

// Saves the context's state, selects a clip region of the rectangle, and restores the state on
// scope exit. A null context is accepted and left alone (layout tests paint without one).
class ClipScope {
public:
    ClipScope(DeviceContext dc, const Rect& clip);
    ~ClipScope();
    ClipScope(const ClipScope&) = delete;
    ClipScope& operator=(const ClipScope&) = delete;

private:
    DeviceContext dc_;
    int saved_ = 0;
};
