// OffscreenSurface: the memory DC and its DIB, remade only when the size changes.
#include "OffscreenSurface.h"

bool OffscreenSurface::resize(int32_t width, int32_t height)
{
    if (dc_ && width == width_ && height == height_)
        return true;
    release();
    if (width <= 0 || height <= 0)
        return false;

    platform::MemoryDC dc(nullptr);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    info.bmiHeader.biSizeImage = DWORD(uint64_t(width) * uint64_t(height) * 4);
    void* bits = nullptr;
    platform::BitmapHandle dib(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!dc || !dib || !bits)
        return false;
    HGDIOBJ previous = SelectObject(dc.get(), dib.get());
    if (!previous || previous == HGDI_ERROR)
        return false;
    // text never paints an opaque box over what lies beneath it
    SetBkMode(dc.get(), TRANSPARENT);

    dc_ = std::move(dc);
    dib_ = std::move(dib);
    previousBitmap_ = previous;
    pixels_ = static_cast<uint32_t*>(bits);
    width_ = width;
    height_ = height;
    return true;
}

void OffscreenSurface::release()
{
    if (!dc_)
        return;
    SelectObject(dc_.get(), previousBitmap_);
    previousBitmap_ = nullptr;
    dib_.reset();
    dc_.reset();
    pixels_ = nullptr;
    width_ = height_ = 0;
}
