// The off-screen surface a window paints into before one copy reaches the screen: a memory DC with a 32-bit DIB.
#pragma once

#include "platform/Gdi.h"

#include <cstdint>

// Owned by its window (or by a test or tool that paints off screen). UI thread only.
class OffscreenSurface {
public:
    OffscreenSurface() = default;
    ~OffscreenSurface() { release(); }
    OffscreenSurface(const OffscreenSurface&) = delete;
    OffscreenSurface& operator=(const OffscreenSurface&) = delete;

    // Makes a surface of width × height (top-down, 32 bits per pixel, transparent text background)
    // unless one of that size exists already. False, leaving no surface, when it cannot be made
    // (a size that is not positive, or GDI refusing the DIB).
    bool resize(int32_t width, int32_t height);
    // Puts the memory DC's previous bitmap back and deletes the DIB and the DC.
    void release();

    HDC dc() const { return dc_.get(); }
    int32_t width() const { return width_; }
    int32_t height() const { return height_; }
    // The DIB's pixels, rows top to bottom, one word per pixel (A<<24 | R<<16 | G<<8 | B); null
    // without a surface. Call GdiFlush before reading what GDI has just drawn.
    uint32_t* pixels() const { return pixels_; }

private:
    platform::MemoryDC dc_;
    int32_t width_ = 0;
    int32_t height_ = 0;
    HGDIOBJ previousBitmap_ = nullptr;   // what the memory DC held before the DIB; not owned
    platform::BitmapHandle dib_;
    uint32_t* pixels_ = nullptr;
};
