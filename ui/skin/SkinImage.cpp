// SkinImage: decoding into a premultiplied DIB, and the plain and nine-slice blits from imageDC.
#include "SkinImage.h"

#include "DecodedImage.h"
#include "ImageScale.h"
#include "NineSlice.h"

#include <Toolkit.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr BlendFunction kPerPixelAlpha{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};

// Scaled blits pick source pixels instead of AND-ing them together, which is what GDI's default
// mode does when an image is shrunk (dark seams on light skins). Restored when the blit is done.
class NearestNeighbour {
public:
    explicit NearestNeighbour(HDC dc) : dc_(dc), previous_(SetStretchBltMode(dc, COLORONCOLOR)) {}
    ~NearestNeighbour()
    {
        if (previous_)
            SetStretchBltMode(dc_, previous_);
    }
    NearestNeighbour(const NearestNeighbour&) = delete;
    NearestNeighbour& operator=(const NearestNeighbour&) = delete;

private:
    HDC dc_;
    int previous_;
};

// One piece from the selected image: alpha images through AlphaBlend (copies included), opaque
// ones by BitBlt for 1:1 copies and StretchBlt otherwise. Without AlphaBlend an alpha image is
// stretched like an opaque one: wrong at its translucent edges, but never a call through null.
BOOL blit(HDC dc, HDC source, const Rect& d, const Rect& s, bool copy, bool hasAlpha)
{
    if (hasAlpha && Toolkit::AlphaBlend) {
        return Toolkit::AlphaBlend(dc, d.left, d.top, d.width(), d.height(), source, s.left, s.top, s.width(),
                                   s.height(), kPerPixelAlpha);
    }
    if (copy)
        return BitBlt(dc, d.left, d.top, d.width(), d.height(), source, s.left, s.top, SRCCOPY);
    NearestNeighbour mode(dc);
    return StretchBlt(dc, d.left, d.top, d.width(), d.height(), source, s.left, s.top, s.width(), s.height(),
                      SRCCOPY);
}

} // namespace

HDC imageDC()
{
    static platform::MemoryDC dc(nullptr);
    return dc.get();
}

SkinImage::~SkinImage() = default;

Rect SkinImage::toPixels(const Rect& logical, bool inward) const
{
    if (pixelWidth == width && pixelHeight == height)
        return logical;
    // A dense drawing is rarely a whole multiple of its logical size (115 rows at 1.5 are 172), so
    // a grid line can fall inside a pixel that is part edge, part middle. Stretched, such a pixel
    // becomes a band: the middle of a grid gives it up to the margins, which are drawn about 1:1.
    auto map = [inward](int32_t v, int32_t pixels, int32_t logicalSize) {
        const double exact = double(v) * pixels / logicalSize;
        if (!inward || v * 2 == logicalSize)
            return int32_t(std::lround(exact));
        return int32_t(v * 2 < logicalSize ? std::ceil(exact - 1e-9) : std::floor(exact + 1e-9));
    };
    return {map(logical.left, pixelWidth, width), map(logical.top, pixelHeight, height),
            map(logical.right, pixelWidth, width), map(logical.bottom, pixelHeight, height)};
}

bool SkinImage::load(const uint8_t* data, size_t size, double density, double scale)
{
    bitmap_.reset();
    pixels_ = nullptr;
    width = height = pixelWidth = pixelHeight = 0;
    hasAlpha = false;

    DecodedImage decoded;
    std::string error;
    if (!decoded.decode(data, size, &error)) {
        OutputDebugStringA(("SkinImage: " + error + "\n").c_str());
        return false;
    }

    if (density <= 0)
        density = 1.0;
    const int32_t logicalWidth = std::max<int32_t>(1, int32_t(std::lround(decoded.width() / density)));
    const int32_t logicalHeight = std::max<int32_t>(1, int32_t(std::lround(decoded.height() / density)));
    int32_t bitmapWidth = decoded.width(), bitmapHeight = decoded.height();
    const bool shrink = scale > 0 && density > scale + 1e-6;
    std::vector<uint32_t> drawing;
    if (shrink) {
        drawing.resize(size_t(bitmapWidth) * size_t(bitmapHeight));
        hasAlpha = decoded.writePremultiplied(drawing.data());
        bitmapWidth = std::max<int32_t>(1, int32_t(std::lround(logicalWidth * scale)));
        bitmapHeight = std::max<int32_t>(1, int32_t(std::lround(logicalHeight * scale)));
    }

    // top-down 32-bit DIB; the decoder's checks keep width × height × 4 within 256 MiB
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = bitmapWidth;
    info.bmiHeader.biHeight = -bitmapHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    info.bmiHeader.biSizeImage = DWORD(uint64_t(bitmapWidth) * uint64_t(bitmapHeight) * 4);
    void* bits = nullptr;
    platform::BitmapHandle bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits) {
        OutputDebugStringA("SkinImage: the DIB section could not be created\n");
        return false;   // the bitmap owner and the decoded pixels release themselves
    }

    if (shrink) {
        imageScale::shrink(drawing.data(), decoded.width(), decoded.height(), static_cast<uint32_t*>(bits),
                           bitmapWidth, bitmapHeight);
    } else {
        hasAlpha = decoded.writePremultiplied(static_cast<uint32_t*>(bits));
    }
    GdiFlush();
    bitmap_ = std::move(bitmap);
    pixels_ = static_cast<uint32_t*>(bits);
    width = logicalWidth;
    height = logicalHeight;
    pixelWidth = bitmapWidth;
    pixelHeight = bitmapHeight;
    return true;
}

int SkinImage::draw(DeviceContext dc, int32_t x, int32_t y, int32_t w, int32_t h, int32_t sourceX, int32_t sourceY,
                    int32_t sourceWidth, int32_t sourceHeight) const
{
    if (!bitmap_ || !dc || w <= 0 || h <= 0 || sourceWidth <= 0 || sourceHeight <= 0)
        return 0;
    HDC source = imageDC();
    platform::SelectScope selected(source, bitmap_.get());
    if (!selected)
        return 0;
    Rect d{x, y, x + w, y + h};
    return blit(dc, source, d, toPixels({sourceX, sourceY, sourceX + sourceWidth, sourceY + sourceHeight}), false,
                hasAlpha);
}

int SkinImage::drawStretched(DeviceContext dc, const Rect& rect) const
{
    return draw(dc, rect.left, rect.top, rect.width(), rect.height(), 0, 0, width, height);
}

int SkinImage::drawAt(DeviceContext dc, int32_t x, int32_t y) const
{
    return draw(dc, x, y, width, height, 0, 0, width, height);
}

int SkinImage::drawNineSlice(DeviceContext dc, const Rect& destination, const Rect& grid) const
{
    if (!bitmap_ || !dc)
        return 1;
    nineSlice::Piece pieces[9];
    int count = nineSlice::layout(destination, grid, width, height, pieces);
    if (count == 0)
        return 1;
    HDC source = imageDC();
    platform::SelectScope selected(source, bitmap_.get());
    if (!selected)
        return 1;
    // the margins are logical, so they scale with the drawing; a 1:1 copy stays one only at 1x
    const bool dense = pixelWidth != width || pixelHeight != height;
    for (int i = 0; i < count; ++i) {
        Rect pixels = toPixels(pieces[i].source, true);
        if (pixels.isEmpty())   // a middle thinner than a pixel keeps the pixel it falls in
            pixels = toPixels(pieces[i].source);
        blit(dc, source, pieces[i].destination, pixels, pieces[i].copy && !dense, hasAlpha);
    }
    return 1;
}
