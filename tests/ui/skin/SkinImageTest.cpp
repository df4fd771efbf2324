// Skin images on a real DIB under Wine: decoding and premultiplication, blits, nine-slice, strips, text, hostile data.
#include "TestImages.h"

#include <DecodedImage.h>
#include <SkinImage.h>
#include <TextDrawing.h>
#include <Toolkit.h>

#include <gtest/gtest.h>

#include <windows.h>

#include <cmath>

namespace {

// A 20 × 20 image with a distinct opaque colour in each region of the grid (4, 4, 4, 4).
constexpr uint32_t kTopLeft = 0xFF100000, kTop = 0xFF200000, kTopRight = 0xFF300000, kLeft = 0xFF001000,
                   kCentre = 0xFF002000, kRight = 0xFF003000, kBottomLeft = 0xFF000010, kBottom = 0xFF000020,
                   kBottomRight = 0xFF000030;

std::vector<uint32_t> gridPixels()
{
    std::vector<uint32_t> pixels(400);
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 20; ++x) {
            int column = x < 4 ? 0 : x < 16 ? 1 : 2;
            int row = y < 4 ? 0 : y < 16 ? 1 : 2;
            const uint32_t colours[3][3] = {{kTopLeft, kTop, kTopRight}, {kLeft, kCentre, kRight},
                                            {kBottomLeft, kBottom, kBottomRight}};
            pixels[y * 20 + x] = colours[row][column];
        }
    }
    return pixels;
}

std::unique_ptr<SkinImage> loaded(const std::string& file)
{
    auto image = std::make_unique<SkinImage>();
    EXPECT_TRUE(image->load(reinterpret_cast<const uint8_t*>(file.data()), file.size()));
    return image;
}

uint32_t rgb(uint32_t argb)
{
    return argb & 0xFFFFFF;
}

} // namespace

class SkinImages : public PaintFixture {};

TEST_F(SkinImages, PremultipliedAsStoredAndBlendedOverWhite)
{
    std::string file = pngImage(2, 1, {0x80C86432, 0xFF000000});   // (200, 100, 50, 128), opaque black
    auto image = loaded(file);
    ASSERT_NE(image->bitmap(), nullptr);
    EXPECT_TRUE(image->hasAlpha);
    EXPECT_EQ(image->pixels()[0], 0x80643219u) << "A=128, R=100, G=50, B=25";
    EXPECT_EQ(image->pixels()[1], 0xFF000000u) << "an opaque pixel is stored unchanged";

    // the same bytes behind a 0x01 marker decode to the same pixels
    auto marked = loaded("\x01" + file);
    EXPECT_EQ(marked->width, 2);
    EXPECT_EQ(std::vector<uint32_t>(marked->pixels(), marked->pixels() + 2),
              std::vector<uint32_t>(image->pixels(), image->pixels() + 2));

    EXPECT_NE(image->drawAt(dc(), 10, 10), 0);
    // over white: c + 255 × (255 − 128) / 255
    EXPECT_TRUE(closeTo(pixel(10, 10), 0xE3B198, 1)) << std::hex << pixel(10, 10);
    EXPECT_EQ(pixel(11, 10), 0x000000u);
    EXPECT_EQ(pixel(12, 10), 0xFFFFFFu);
}

TEST_F(SkinImages, OpaqueImageReplacesWhatLiesBeneathEvenWhereBlack)
{
    auto image = loaded(pngImage(2, 2, {0xFF000000, 0xFF00FF00, 0xFF000000, 0xFF0000FF}));
    EXPECT_FALSE(image->hasAlpha);
    fill(0xFF0000);
    image->drawStretched(dc(), {0, 0, 8, 8});   // 4 × 4 blocks
    EXPECT_EQ(pixel(0, 0), 0x000000u);
    EXPECT_EQ(pixel(7, 0), 0x00FF00u);
    EXPECT_EQ(pixel(3, 7), 0x000000u);
    EXPECT_EQ(pixel(4, 4), 0x0000FFu);
    EXPECT_EQ(pixel(8, 8), 0xFF0000u) << "nothing outside the destination";
}

TEST_F(SkinImages, NineSliceCopiesCornersAndStretchesEdgesAndCentre)
{
    // once opaque (BitBlt and StretchBlt), once with one transparent pixel (AlphaBlend everywhere)
    for (bool alpha : {false, true}) {
        SCOPED_TRACE(alpha ? "alpha" : "opaque");
        std::vector<uint32_t> pixels = gridPixels();
        if (alpha)
            pixels[10 * 20 + 10] = 0x00000000;
        auto image = loaded(pngImage(20, 20, pixels));
        EXPECT_EQ(image->hasAlpha, alpha);
        fill(0xFFFFFF);
        EXPECT_EQ(image->drawNineSlice(dc(), {10, 10, 110, 40}, {4, 4, 4, 4}), 1);

        struct Probe {
            int x, y;
            uint32_t colour;
        };
        // corners exactly 4 × 4; edges and centre fill what lies between
        const Probe probes[] = {
            {10, 10, kTopLeft},     {13, 13, kTopLeft},      {14, 10, kTop},        {105, 13, kTop},
            {106, 10, kTopRight},   {109, 13, kTopRight},    {10, 14, kLeft},       {13, 35, kLeft},
            {14, 14, kCentre},      {105, 35, kCentre},      {106, 14, kRight},     {109, 35, kRight},
            {10, 36, kBottomLeft},  {13, 39, kBottomLeft},   {14, 36, kBottom},     {105, 39, kBottom},
            {106, 36, kBottomRight}, {109, 39, kBottomRight}, {110, 40, 0xFFFFFFFF}, {9, 9, 0xFFFFFFFF},
        };
        for (const Probe& p : probes) {
            if (alpha && p.x >= 14 && p.x < 106 && p.y >= 14 && p.y < 36)
                continue;   // the centre holds the stretched transparent pixel somewhere
            EXPECT_EQ(pixel(p.x, p.y), rgb(p.colour)) << p.x << "," << p.y;
        }
    }
}

TEST_F(SkinImages, ZeroGridEqualsTheStretchedImage)
{
    auto image = loaded(pngImage(20, 20, gridPixels()));
    image->drawNineSlice(dc(), {0, 0, 50, 30}, {0, 0, 0, 0});
    image->drawStretched(dc(), {60, 0, 110, 30});
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 50; ++x)
            ASSERT_EQ(pixel(x, y), pixel(60 + x, y)) << x << "," << y;
    }
}

TEST_F(SkinImages, MarginsThatDoNotFitAreScaledNeverMirrored)
{
    for (bool alpha : {false, true}) {
        SCOPED_TRACE(alpha ? "alpha" : "opaque");
        std::vector<uint32_t> pixels = gridPixels();
        if (alpha)
            pixels[10 * 20 + 10] = 0x00000000;
        auto image = loaded(pngImage(20, 20, pixels));
        fill(0xFFFFFF);
        // margins of 12 on each side into 10 × 10: each side gets 5 pixels, no centre
        image->drawNineSlice(dc(), {0, 0, 10, 10}, {12, 12, 12, 12});
        EXPECT_EQ(pixel(0, 0), rgb(kTopLeft));
        EXPECT_EQ(pixel(9, 0), rgb(kTopRight)) << "the right column stays on the right";
        EXPECT_EQ(pixel(0, 9), rgb(kBottomLeft));
        EXPECT_EQ(pixel(9, 9), rgb(kBottomRight));
        EXPECT_EQ(pixel(10, 10), 0xFFFFFFu);

        // negative margins count as 0: the whole image stretched
        image->drawNineSlice(dc(), {20, 0, 60, 40}, {-4, -4, -4, -4});
        EXPECT_EQ(pixel(20, 0), rgb(kTopLeft));
        EXPECT_EQ(pixel(59, 39), rgb(kBottomRight));

        // margins beyond the image (15 + 15 > 20) are shrunk to the image: corners from its corners
        image->drawNineSlice(dc(), {70, 0, 170, 60}, {15, 15, 15, 15});
        EXPECT_EQ(pixel(70, 0), rgb(kTopLeft));
        EXPECT_EQ(pixel(169, 59), rgb(kBottomRight));
        EXPECT_EQ(pixel(169, 0), rgb(kTopRight));
    }
}

TEST_F(SkinImages, OneFrameOfAVerticalStrip)
{
    auto image = loaded(pngImage(10, 40, [] {
        std::vector<uint32_t> p(400);
        for (int i = 0; i < 400; ++i)
            p[i] = 0xFF000000 | uint32_t(0x40 * (i / 100 + 1)) << 16;
        return p;
    }()));
    image->draw(dc(), 0, 0, 20, 30, 0, 2 * 10, 10, 10);   // frame 2, stretched
    EXPECT_EQ(pixel(0, 0), 0xC00000u);
    EXPECT_EQ(pixel(19, 29), 0xC00000u);
    EXPECT_EQ(pixel(20, 30), 0xFFFFFFu);

    // extents that are not positive draw nothing rather than a mirrored copy
    EXPECT_EQ(image->draw(dc(), 60, 0, -20, 30, 0, 0, 10, 10), 0);
    EXPECT_EQ(image->draw(dc(), 60, 0, 20, 30, 0, 0, 10, 0), 0);
    EXPECT_EQ(pixel(50, 10), 0xFFFFFFu);
    EXPECT_EQ(pixel(60, 10), 0xFFFFFFu);
}

TEST_F(SkinImages, NoImageStaysSelectedAfterADraw)
{
    auto image = loaded(solidPng(4, 4, 0xFF336699));
    auto translucent = loaded(solidPng(4, 4, 0x80336699));
    image->drawAt(dc(), 0, 0);
    translucent->drawNineSlice(dc(), {0, 0, 20, 20}, {1, 1, 1, 1});
    EXPECT_NE(GetCurrentObject(imageDC(), OBJ_BITMAP), image->bitmap());
    EXPECT_NE(GetCurrentObject(imageDC(), OBJ_BITMAP), translucent->bitmap());
    // so the bitmap can go into another DC
    platform::MemoryDC other(nullptr);
    platform::SelectScope selected(other.get(), image->bitmap());
    EXPECT_TRUE(selected);
}

TEST_F(SkinImages, WithoutAlphaBlendTranslucentImagesAreStretched)
{
    auto image = loaded(solidPng(4, 4, 0x80C86432));
    AlphaBlendProc saved = Toolkit::AlphaBlend;
    Toolkit::AlphaBlend = nullptr;
    EXPECT_NE(image->drawStretched(dc(), {0, 0, 4, 4}), 0);
    image->drawNineSlice(dc(), {10, 0, 20, 10}, {1, 1, 1, 1});
    Toolkit::AlphaBlend = saved;
    EXPECT_EQ(pixel(0, 0), 0x643219u) << "the stored premultiplied colour, copied";
    EXPECT_EQ(pixel(15, 5), 0x643219u);
}

TEST_F(SkinImages, DamagedOrHostileDataGivesNoImage)
{
    std::string good = solidPng(20, 20, 0xFF336699);
    // a 1 × 1 PNG whose header claims another size; stb_image does not check the CRC
    auto claiming = [](uint32_t width, uint32_t height) {
        std::string file = solidPng(1, 1, 0xFF000000);
        for (int i = 0; i < 4; ++i) {
            file[16 + i] = char(width >> (24 - 8 * i));
            file[20 + i] = char(height >> (24 - 8 * i));
        }
        return file;
    };
    std::string hugeBmp = "BM" + std::string(52, '\0');
    hugeBmp[10] = 54;
    hugeBmp[14] = 40;
    hugeBmp[18] = char(0x30), hugeBmp[19] = char(0x75);   // 30000
    hugeBmp[22] = char(0x30), hugeBmp[23] = char(0x75);
    hugeBmp[26] = 1;
    hugeBmp[28] = 32;

    // a JPEG whose Huffman table declares 16 × 255 codes: the decoder would write past its tables
    std::string overlongHuffman = std::string("\xFF\xD8\xFF\xC4\x00\x13\x00", 7) + std::string(16, '\xFF') + "\xFF\xD9";

    // a run-length HDR image whose data ends inside its first scanline: the decoder would spin
    std::string truncatedHdr = "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y 4 +X 8\n" + std::string("\x02\x02\x00\x08\x03", 5);

    // a sound JPEG whose scan is made to use a Huffman table it never defines
    std::string undefinedTable = solidJpeg(16, 8, 0x3366CC);
    size_t scan = undefinedTable.find("\xFF\xDA");
    ASSERT_NE(scan, std::string::npos);
    undefinedTable[scan + 6] = char(uint8_t(undefinedTable[scan + 6]) | 0x03);   // AC table 3

    const std::pair<const char*, std::string> cases[] = {
        {"empty", ""},
        {"marker only", "\x01"},
        {"not an image", "hello, world"},
        {"truncated PNG", good.substr(0, good.size() / 2)},
        {"30000 x 30000 PNG header", claiming(30000, 30000)},
        {"16385 pixels wide", claiming(16385, 1)},
        {"1 GiB of pixels within the side limit", claiming(16384, 16384)},
        {"zero width", claiming(0, 10)},
        {"30000 x 30000 BMP header", hugeBmp},
        {"JPEG Huffman table of 4080 codes", overlongHuffman},
        {"the same behind fill bytes", std::string(8, '\xFF') + overlongHuffman},
        {"JPEG scan with an undefined Huffman table", undefinedTable},
        {"HDR data ending inside a scanline", truncatedHdr},
    };
    for (const auto& [name, file] : cases) {
        SCOPED_TRACE(name);
        DecodedImage decoded;
        std::string reason;
        EXPECT_FALSE(decoded.decode(reinterpret_cast<const uint8_t*>(file.data()), file.size(), &reason));
        EXPECT_FALSE(reason.empty());
        EXPECT_FALSE(decoded.valid());

        SkinImage image;
        EXPECT_FALSE(image.load(reinterpret_cast<const uint8_t*>(file.data()), file.size()));
        EXPECT_EQ(image.bitmap(), nullptr);
        EXPECT_EQ(image.drawStretched(dc(), {0, 0, 10, 10}), 0);
        EXPECT_EQ(image.drawNineSlice(dc(), {0, 0, 10, 10}, {2, 2, 2, 2}), 1);
        EXPECT_EQ(pixel(5, 5), 0xFFFFFFu);
    }
    // within the limits a large image decodes, and a sound JPEG passes the table check
    DecodedImage wide;
    std::string wideFile = solidPng(4096, 2, 0xFF000000);
    EXPECT_TRUE(wide.decode(reinterpret_cast<const uint8_t*>(wideFile.data()), wideFile.size()));
    std::string jpeg = solidJpeg(16, 8, 0x3366CC);
    auto photo = loaded(jpeg);
    EXPECT_EQ(photo->width, 16);
    EXPECT_FALSE(photo->hasAlpha);
    EXPECT_TRUE(closeTo(photo->pixels()[0] & 0xFFFFFF, 0x3366CC, 6));
}

TEST_F(SkinImages, TextInANamedFontAndInAMissingOne)
{
    loadPackage({});
    HFONT big = styleRegistry()->font(L"Big");
    ASSERT_NE(big, nullptr);
    HGDIOBJ windowFont = GetCurrentObject(dc(), OBJ_FONT);

    Rect area{0, 0, 120, 60};
    drawTextInFont(dc(), area, L"HH", big, RGB(255, 0, 0), TextFormat::caption);
    Rect bigInk = inkBounds({0, 0, 120, 60}, 0xFFFFFF);
    EXPECT_GT(bigInk.height(), 20) << "drawn in the 40-pixel font";
    EXPECT_EQ(GetCurrentObject(dc(), OBJ_FONT), windowFont) << "the DC's font is put back";
    EXPECT_EQ(pixel((bigInk.left + 2), (bigInk.top + bigInk.bottom) / 2), 0xFF0000u) << "in the colour asked for";

    // a name the registry lacks gives a null font: the text comes out in the DC's own font
    Rect other{120, 0, 240, 60};
    drawTextInFont(dc(), other, L"HH", styleRegistry()->font(L"Absent"), RGB(0, 0, 255), TextFormat::caption);
    Rect smallInk = inkBounds({120, 0, 240, 60}, 0xFFFFFF);
    EXPECT_GT(smallInk.height(), 5);
    EXPECT_LT(smallInk.height(), 16);
    EXPECT_EQ(GetCurrentObject(dc(), OBJ_FONT), windowFont);

    // measuring with DT_CALCRECT draws nothing and reports the size
    fill(0xFFFFFF);
    Rect measured;
    drawTextInFont(dc(), measured, L"HH", big, 0, TextFormat::measureCaption);
    EXPECT_GT(measured.width(), 30);
    EXPECT_GT(measured.height(), 35);
    EXPECT_TRUE(inkBounds({0, 0, 120, 60}, 0xFFFFFF).isEmpty());
}

TEST(OffscreenSurfaces, ResizeReusesOrRemakesAndReleaseCleansUp)
{
    OffscreenSurface surface;
    EXPECT_EQ(surface.dc(), nullptr);
    ASSERT_TRUE(surface.resize(30, 20));
    HDC first = surface.dc();
    uint32_t* pixels = surface.pixels();
    EXPECT_EQ(GetBkMode(first), TRANSPARENT);
    ASSERT_TRUE(surface.resize(30, 20));
    EXPECT_EQ(surface.dc(), first) << "same size: nothing is remade";
    EXPECT_EQ(surface.pixels(), pixels);

    ASSERT_TRUE(surface.resize(300, 200));
    BITMAP bitmap{};
    GetObjectW(GetCurrentObject(surface.dc(), OBJ_BITMAP), sizeof bitmap, &bitmap);
    EXPECT_EQ(bitmap.bmWidth, 300);
    EXPECT_EQ(bitmap.bmHeight, 200);
    EXPECT_EQ(bitmap.bmBitsPixel, 32);

    EXPECT_FALSE(surface.resize(0, 10));
    EXPECT_EQ(surface.dc(), nullptr);
    surface.release();   // twice is harmless
    EXPECT_EQ(surface.pixels(), nullptr);
}

TEST(LabelMeasuring, OneDcForTheProcess)
{
    HDC dc = labelMeasureDC();
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(labelMeasureDC(), dc);
}

// A skin whose drawings at 1x, 1.5x and 2x differ in colour: each display scale paints with the
// nearest drawing at or above it (120 DPI shrinks the 1.5x one), at the same logical size, and a
// nine-slice frame keeps its logical thickness, drawn with the denser pixels.
TEST_F(SkinImages, EachScalePaintsTheNearestDrawingAtTheSameLogicalSize)
{
    // the 2x drawing: blue with a black frame 4 pixels (2 logical pixels) wide
    std::vector<uint32_t> framed(20 * 20, 0xFF0000FF);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            if (x < 4 || y < 4 || x >= 16 || y >= 16)
                framed[size_t(y * 20 + x)] = 0xFF000000;
    loadPackage({{L"tint.png", solidPng(10, 10, 0xFFFF0000)},
                 {L"tint@1.5x.png", solidPng(15, 15, 0xFF00FF00)},
                 {L"tint@2x.png", pngImage(20, 20, framed)},
                 {L"only@2x.png", solidPng(8, 8, 0xFF0000FF)}});
    struct Case {
        double scale;
        uint32_t colour;
        int32_t pixels;   // of the bitmap, across
    };
    for (const Case& c : {Case{1.0, 0xFF0000, 10}, Case{1.25, 0x00FF00, 13}, Case{1.5, 0x00FF00, 15},
                          Case{2.0, 0x0000FF, 20}}) {
        SCOPED_TRACE(c.scale);
        SkinImage* image = styleRegistry()->image(L"tint.png", c.scale);
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->width, 10) << "every drawing has the logical size of the 1x one";
        EXPECT_EQ(image->pixelWidth, c.pixels);

        // painted as a window at that scale paints: through the world transform
        fill(0xFFFFFF);
        const int saved = SaveDC(dc());
        SetGraphicsMode(dc(), GM_ADVANCED);
        XFORM transform{float(c.scale), 0, 0, float(c.scale), 0, 0};
        SetWorldTransform(dc(), &transform);
        image->drawStretched(dc(), {0, 0, 10, 10});
        RestoreDC(dc(), saved);
        const int32_t edge = int32_t(std::lround(10 * c.scale));
        EXPECT_EQ(pixel(edge / 2, edge / 2), c.colour);
        EXPECT_EQ(pixel(edge, edge / 2), 0xFFFFFFu) << "ends where the logical size ends";
    }

    // nine-slice at 2x: margins of 2 logical pixels are 4 device pixels of the 2x frame
    fill(0xFFFFFF);
    SetGraphicsMode(dc(), GM_ADVANCED);
    XFORM twice{2, 0, 0, 2, 0, 0};
    const int saved = SaveDC(dc());
    SetWorldTransform(dc(), &twice);
    styleRegistry()->image(L"tint.png", 2.0)->drawNineSlice(dc(), {0, 0, 40, 30}, {2, 2, 2, 2});
    RestoreDC(dc(), saved);
    for (int32_t x : {0, 3, 76, 79})
        EXPECT_EQ(pixel(x, 30), 0x000000u) << x;
    for (int32_t x : {4, 40, 75})
        EXPECT_EQ(pixel(x, 30), 0x0000FFu) << x;
    EXPECT_EQ(pixel(80, 30), 0xFFFFFFu);

    // only a 2x drawing: shrunk for 1x, keeping its logical size
    SkinImage* only = styleRegistry()->image(L"only.png", 1.0);
    ASSERT_NE(only, nullptr);
    EXPECT_EQ(only->width, 4);
    EXPECT_EQ(only->pixelWidth, 4);
    EXPECT_EQ(only->pixels()[0], 0xFF0000FFu);
}

// A 1.5x drawing of an odd logical size is never a whole multiple of it (7 logical pixels are 10,
// not 10.5), so the line between the middle and a far margin falls inside a pixel that is part
// edge. Stretched with the middle that pixel would become a wide band (the window's shadow laid
// a dark one over the window's foot); the middle must stay clean at 1.5 in both directions.
TEST_F(SkinImages, AGridLineInsideADensePixelStaysOutOfTheStretchedMiddle)
{
    constexpr uint32_t kEdge = 0xFF000000, kPartEdge = 0xFF808080, kMiddle = 0xFFFFFFFF;
    std::vector<uint32_t> drawing(10 * 10, kEdge);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            if (x >= 3 && y >= 3 && x <= 5 && y <= 5)
                drawing[size_t(y * 10 + x)] = x == 5 || y == 5 ? kPartEdge : kMiddle;
    loadPackage({{L"edge@1.5x.png", pngImage(10, 10, drawing)}});
    SkinImage* image = styleRegistry()->image(L"edge.png", 1.5);
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(image->width, 7);
    ASSERT_EQ(image->pixelWidth, 10);

    fill(0x0000FF);
    const int saved = SaveDC(dc());
    SetGraphicsMode(dc(), GM_ADVANCED);
    XFORM transform{1.5f, 0, 0, 1.5f, 0, 0};
    SetWorldTransform(dc(), &transform);
    image->drawNineSlice(dc(), {0, 0, 60, 40}, {2, 2, 3, 3});
    RestoreDC(dc(), saved);
    // the middle spans device pixels 3 to 85.5 across and 3 to 55.5 down
    const Rect middle{4, 4, 85, 55};
    EXPECT_TRUE(inkBounds(middle, 0xFFFFFF).isEmpty()) << "not all white inside the middle";
    EXPECT_EQ(pixel(1, 30), 0x000000u);
    EXPECT_EQ(pixel(88, 30), 0x000000u);
    EXPECT_EQ(pixel(45, 58), 0x000000u);
    EXPECT_EQ(pixel(90, 30), 0x0000FFu) << "ends where the logical size ends";
}
