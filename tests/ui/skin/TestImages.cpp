// Test images through stb_image_write, and the painting fixture.
#include "TestImages.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb_image_write.h>

#include <cstdlib>

namespace {

void append(void* context, void* data, int size)
{
    static_cast<std::string*>(context)->append(static_cast<const char*>(data), size_t(size));
}

const std::string kFonts = "<fonts><font name=\"Default\" face=\"Tahoma\" size=\"13\"/>"
                           "<font name=\"Big\" face=\"Tahoma\" size=\"40\"/></fonts>";

} // namespace

std::string pngImage(int32_t width, int32_t height, const std::vector<uint32_t>& argb)
{
    std::vector<uint8_t> rgba;
    rgba.reserve(argb.size() * 4);
    for (uint32_t p : argb) {
        rgba.push_back(uint8_t(p >> 16));
        rgba.push_back(uint8_t(p >> 8));
        rgba.push_back(uint8_t(p));
        rgba.push_back(uint8_t(p >> 24));
    }
    std::string file;
    EXPECT_TRUE(stbi_write_png_to_func(append, &file, width, height, 4, rgba.data(), width * 4));
    return file;
}

std::string solidPng(int32_t width, int32_t height, uint32_t argb)
{
    return pngImage(width, height, std::vector<uint32_t>(size_t(width) * size_t(height), argb));
}

std::string solidJpeg(int32_t width, int32_t height, uint32_t rgb)
{
    std::vector<uint8_t> pixels;
    for (int64_t i = 0; i < int64_t(width) * height; ++i) {
        pixels.push_back(uint8_t(rgb >> 16));
        pixels.push_back(uint8_t(rgb >> 8));
        pixels.push_back(uint8_t(rgb));
    }
    std::string file;
    EXPECT_TRUE(stbi_write_jpg_to_func(append, &file, width, height, 3, pixels.data(), 90));
    return file;
}

void PaintFixture::SetUp()
{
    MarkupFixture::SetUp();
    ASSERT_TRUE(surface.resize(240, 120));
    fill(0xFFFFFF);
}

void PaintFixture::TearDown()
{
    if (previousFont_)
        SelectObject(surface.dc(), previousFont_);
    surface.release();
    MarkupFixture::TearDown();
}

void PaintFixture::loadPackage(PackageEntries entries)
{
    entries.push_back({L"font.xml", kFonts});
    std::wstring error;
    ASSERT_TRUE(loadStyles(entries, &error)) << testing_support::narrow(error);
    HGDIOBJ previous = SelectObject(surface.dc(), styleRegistry()->font(L"Default"));
    if (!previousFont_)
        previousFont_ = previous;
}

void PaintFixture::fill(uint32_t rgb)
{
    GdiFlush();
    uint32_t* p = surface.pixels();
    for (int64_t i = 0, n = int64_t(surface.width()) * surface.height(); i < n; ++i)
        p[i] = rgb & 0xFFFFFF;
}

uint32_t PaintFixture::pixel(int32_t x, int32_t y)
{
    if (x < 0 || y < 0 || x >= surface.width() || y >= surface.height()) {
        ADD_FAILURE() << "(" << x << ", " << y << ") is outside the surface";
        return 0xFFFFFFFF;
    }
    GdiFlush();
    return surface.pixels()[int64_t(y) * surface.width() + x] & 0xFFFFFF;
}

Rect PaintFixture::inkBounds(const Rect& area, uint32_t background)
{
    Rect ink{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    for (int32_t y = area.top; y < area.bottom; ++y) {
        for (int32_t x = area.left; x < area.right; ++x) {
            if (pixel(x, y) == background)
                continue;
            ink.left = std::min(ink.left, x);
            ink.top = std::min(ink.top, y);
            ink.right = std::max(ink.right, x + 1);
            ink.bottom = std::max(ink.bottom, y + 1);
        }
    }
    return ink.isEmpty() ? Rect{} : ink;
}

bool closeTo(uint32_t a, uint32_t b, int tolerance)
{
    for (int shift = 0; shift < 24; shift += 8) {
        int d = int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF);
        if (d < -tolerance || d > tolerance)
            return false;
    }
    return true;
}
