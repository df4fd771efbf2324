// Logical pixels (96 to the inch) and a window's device pixels at its display scale.
#pragma once

#include "Geometry.h"

#include <cmath>
#include <cstdint>

// The tree, its markup and the scripts work in logical pixels; a window multiplies them by its
// scale where they reach the screen (its size, its painting, its accessible places) and divides
// what comes from the screen (pointer positions). At scale 1 every function here is the identity.
namespace displayScale {

constexpr uint32_t kBaseDpi = 96;

inline double fromDpi(uint32_t dpi)
{
    return dpi ? double(dpi) / kBaseDpi : 1.0;
}

// One coordinate, rounded to the nearest device pixel (as GDI rounds a transformed coordinate, so
// that a clip and a fill of the same logical edge meet at the same device pixel).
inline int32_t toDevice(int32_t value, double scale)
{
    return int32_t(std::lround(double(value) * scale));
}

inline Size toDevice(Size size, double scale)
{
    return {toDevice(size.width, scale), toDevice(size.height, scale)};
}

inline Rect toDevice(const Rect& r, double scale)
{
    return {toDevice(r.left, scale), toDevice(r.top, scale), toDevice(r.right, scale), toDevice(r.bottom, scale)};
}

// The smallest device rectangle that holds every pixel the logical one touches (invalidation).
inline Rect coverDevice(const Rect& r, double scale)
{
    return {int32_t(std::floor(r.left * scale)), int32_t(std::floor(r.top * scale)),
            int32_t(std::ceil(r.right * scale)), int32_t(std::ceil(r.bottom * scale))};
}

// The smallest logical rectangle that covers a device one (what a repaint of it must draw).
inline Rect coverLogical(const Rect& r, double scale)
{
    return {int32_t(std::floor(r.left / scale)), int32_t(std::floor(r.top / scale)),
            int32_t(std::ceil(r.right / scale)), int32_t(std::ceil(r.bottom / scale))};
}

// A device point to the logical pixel it falls in.
inline Point toLogical(Point p, double scale)
{
    return {int32_t(std::floor(p.x / scale)), int32_t(std::floor(p.y / scale))};
}

inline Size toLogical(Size size, double scale)
{
    return {int32_t(std::lround(size.width / scale)), int32_t(std::lround(size.height / scale))};
}

// The scale of the window being painted or built: skin images are picked for it. Set by the
// window (UI thread only); 1 until a window says otherwise.
double current();
void setCurrent(double scale);

} // namespace displayScale
