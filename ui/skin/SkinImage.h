// A decoded skin image: a premultiplied 32-bit DIB section drawn whole, stretched or nine-sliced.
#pragma once

#include "platform/Gdi.h"

#include <Geometry.h>
#include <NativeTypes.h>

#include <cstddef>
#include <cstdint>

// The registry's image cache owns every image; painters borrow them for one paint. UI thread only:
// every draw goes through one process-wide memory DC.
class SkinImage {
public:
    SkinImage() = default;
    ~SkinImage();
    SkinImage(const SkinImage&) = delete;
    SkinImage& operator=(const SkinImage&) = delete;

    // Decodes an encoded image (a leading 0x01 byte is a marker and is skipped) into a top-down
    // 32-bit DIB with premultiplied alpha. False when the data cannot be decoded, is too large or
    // the DIB cannot be made: the image then has no bitmap and every draw of it draws nothing.
    //
    // `density` is how many image pixels the drawing has per logical pixel (2 for `name@2x.png`);
    // width and height are then logical. A drawing denser than `scale` is shrunk to it once here,
    // with area filtering, so that it is blitted about 1:1 at that scale.
    bool load(const uint8_t* data, size_t size, double density = 1.0, double scale = 1.0);

    // One blit from the image: AlphaBlend when it has translucent pixels, StretchBlt otherwise
    // (also when AlphaBlend is unavailable). Returns the blit's result; 0 and nothing drawn without
    // a bitmap, or when either rectangle has no positive width and height (no mirroring).
    int draw(DeviceContext dc, int32_t x, int32_t y, int32_t width, int32_t height, int32_t sourceX,
             int32_t sourceY, int32_t sourceWidth, int32_t sourceHeight) const;
    // The source rectangle is in logical pixels of the image (its pixels when it is a 1x drawing).
    // The whole image stretched over the rectangle.
    int drawStretched(DeviceContext dc, const Rect& rect) const;
    // The whole image at its natural size with its top-left corner at (x, y).
    int drawAt(DeviceContext dc, int32_t x, int32_t y) const;
    // The image cut into nine pieces by `grid` (margins in image pixels: left, top, right, bottom):
    // corners copied 1:1, edges and centre stretched. Always returns 1.
    int drawNineSlice(DeviceContext dc, const Rect& destination, const Rect& grid) const;

    // The DIB, or null when decoding or DIB creation failed. Owned by the image.
    HBITMAP bitmap() const { return bitmap_.get(); }
    // The DIB's pixels (pixelWidth × pixelHeight words, rows top to bottom), or null without a bitmap.
    const uint32_t* pixels() const { return pixels_; }

    int32_t width = 0;    // logical
    int32_t height = 0;
    int32_t pixelWidth = 0;    // of the bitmap
    int32_t pixelHeight = 0;
    bool hasAlpha = false;   // at least one pixel has alpha below 255

private:
    // A rectangle of the image in logical pixels as bitmap pixels. `inward` rounds each edge
    // toward the image's middle instead of to the nearest pixel (the lines of a nine-slice grid).
    Rect toPixels(const Rect& logical, bool inward = false) const;

    platform::BitmapHandle bitmap_;
    uint32_t* pixels_ = nullptr;   // inside the DIB section, not owned separately
};

// The one memory DC every image blit reads from (created on first use, kept for the process). A
// draw selects its image's bitmap into it and selects the previous bitmap back afterwards, so that
// no image stays selected (a selected bitmap can be neither deleted nor selected elsewhere).
HDC imageDC();
