// Save, clip and restore of a device context.
#include "ClipScope.h"

#include <platform/Gdi.h>

#include <windows.h>

ClipScope::ClipScope(DeviceContext dc, const Rect& clip) : dc_(dc)
{
    if (!dc_)
        return;
    saved_ = SaveDC(dc_);
    RECT r{clip.left, clip.top, clip.right, clip.bottom};
    // the context keeps its own copy of the region
    platform::RegionHandle region(CreateRectRgnIndirect(&r));
    if (region)
        SelectClipRgn(dc_, region.get());
}

ClipScope::~ClipScope()
{
    if (dc_ && saved_)
        RestoreDC(dc_, saved_);
}
