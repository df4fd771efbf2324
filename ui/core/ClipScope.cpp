// Save, clip and restore of a device context.
#include "ClipScope.h"

#include <platform/Gdi.h>

#include <windows.h>

#include <cmath>

ClipScope::ClipScope(DeviceContext dc, const Rect& clip) : dc_(dc)
{
    if (!dc_)
        return;
    saved_ = SaveDC(dc_);
    // The region is in device pixels: on a scaled window the clip goes through the context's world
    // transform, rounded as GDI rounds the fills it clips.
    Rect device = clip;
    XFORM transform{};
    if (GetGraphicsMode(dc_) == GM_ADVANCED && GetWorldTransform(dc_, &transform) &&
        (transform.eM11 != 1.0f || transform.eM22 != 1.0f || transform.eDx != 0.0f || transform.eDy != 0.0f)) {
        auto map = [](int32_t v, float factor, float offset) { return int32_t(std::lround(v * double(factor) + offset)); };
        device = {map(clip.left, transform.eM11, transform.eDx), map(clip.top, transform.eM22, transform.eDy),
                  map(clip.right, transform.eM11, transform.eDx), map(clip.bottom, transform.eM22, transform.eDy)};
    }
    RECT r{device.left, device.top, device.right, device.bottom};
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
