// Encoded test images made from pixel colours, and off-screen painting with pixel checks.
#pragma once

#include "ui/markup/MarkupFixture.h"

#include <OffscreenSurface.h>

#include <cstdint>
#include <string>
#include <vector>

// A PNG file of width × height pixels given as 0xAARRGGBB, rows top to bottom.
std::string pngImage(int32_t width, int32_t height, const std::vector<uint32_t>& argb);
// A JPEG file of one colour (quality 90).
std::string solidJpeg(int32_t width, int32_t height, uint32_t rgb);
// A PNG file of one colour.
std::string solidPng(int32_t width, int32_t height, uint32_t argb);

// A started toolkit with a style package in memory and a white 32-bit surface to paint into,
// with the "Default" font selected as the window selects it before painting.
class PaintFixture : public MarkupFixture {
protected:
    void SetUp() override;
    void TearDown() override;

    // Loads a style package of the entries plus a font.xml with "Default" (Tahoma 13) and "Big"
    // (Tahoma 40).
    void loadPackage(PackageEntries entries);
    // Fills the whole surface with one colour (0xRRGGBB), alpha 0 as GDI leaves it.
    void fill(uint32_t rgb);
    // The colour at (x, y) as 0xRRGGBB.
    uint32_t pixel(int32_t x, int32_t y);
    // The smallest rectangle holding every pixel of `area` that differs from `background`; empty
    // when there is none.
    Rect inkBounds(const Rect& area, uint32_t background);
    HDC dc() const { return surface.dc(); }

    OffscreenSurface surface;

private:
    HGDIOBJ previousFont_ = nullptr;
};

// Whether two colours (0xRRGGBB) differ by at most `tolerance` in every channel.
bool closeTo(uint32_t a, uint32_t b, int tolerance = 1);
