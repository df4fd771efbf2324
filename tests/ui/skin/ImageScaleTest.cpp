// Skin images at several scales: which drawing each display scale takes, the drawings' names, and
// the area-averaging shrink that a denser drawing goes through.
#include <DisplayScale.h>
#include <ImageScale.h>

#include <gtest/gtest.h>

#include <vector>

TEST(ImageScale, EachScaleTakesTheNearestDrawingAtOrAboveItElseTheLargest)
{
    struct Case {
        double scale;
        bool available[3];
        int expected;
    };
    const Case cases[] = {
        {1.0, {true, true, true}, 0},     {1.25, {true, true, true}, 1},  {1.5, {true, true, true}, 1},
        {2.0, {true, true, true}, 2},     {1.0, {false, false, true}, 2}, // only larger: shrunk
        {1.25, {true, false, true}, 2},   {2.0, {true, true, false}, 1},  // enlarged, last resort
        {2.5, {true, true, true}, 2},     {1.0, {false, false, false}, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(imageScale::pick(c.scale, c.available), c.expected) << c.scale;

    EXPECT_EQ(imageScale::variantName(L"skin/button.png", 0), L"skin/button.png");
    EXPECT_EQ(imageScale::variantName(L"skin/button.png", 1), L"skin/button@1.5x.png");
    EXPECT_EQ(imageScale::variantName(L"skin/button.png", 2), L"skin/button@2x.png");
    EXPECT_EQ(imageScale::variantName(L"v1.0/logo", 2), L"v1.0/logo@2x") << "a dot in a folder is no extension";
}

TEST(ImageScale, ShrinkingAveragesTheCoveredAreaAndKeepsPremultipliedPixelsValid)
{
    // a 2x drawing: a one-pixel white line on transparent black, every other column
    const int32_t w = 6, h = 2;
    std::vector<uint32_t> source(size_t(w * h), 0);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; x += 2)
            source[size_t(y * w + x)] = 0xFFFFFFFFu;
    // to 1x: each target pixel covers one line and one gap: half grey at half alpha
    std::vector<uint32_t> half(3);
    imageScale::shrink(source.data(), w, h, half.data(), 3, 1);
    for (uint32_t p : half)
        EXPECT_EQ(p, 0x80808080u);
    // to 1.25x of a 2x drawing (6 -> 4 columns): coverage weights, never a channel above alpha
    std::vector<uint32_t> odd(4 * 2);
    imageScale::shrink(source.data(), w, h, odd.data(), 4, 2);
    for (uint32_t p : odd) {
        const uint32_t a = p >> 24;
        EXPECT_GT(a, 0u);
        for (int c = 0; c < 3; ++c)
            EXPECT_LE((p >> (8 * c)) & 0xFF, a);
    }
    EXPECT_EQ(odd[0] >> 24, 0xAAu) << "the first target covers one line and half a gap: two thirds";
}

TEST(DisplayScale, LogicalAndDevicePixelsAtOneOneAndAHalfAndTwo)
{
    const Rect r{3, 5, 101, 41};
    EXPECT_EQ(displayScale::toDevice(r, 1.0), r) << "the identity at 96 DPI";
    EXPECT_EQ(displayScale::coverDevice(r, 1.0), r);
    EXPECT_EQ(displayScale::coverLogical(r, 1.0), r);
    EXPECT_EQ(displayScale::toLogical(Point{7, 9}, 1.0), (Point{7, 9}));

    EXPECT_EQ(displayScale::toDevice(r, 2.0), (Rect{6, 10, 202, 82}));
    EXPECT_EQ(displayScale::toDevice(r, 1.5), (Rect{5, 8, 152, 62})) << "halves round as GDI rounds";
    EXPECT_EQ(displayScale::coverDevice(r, 1.5), (Rect{4, 7, 152, 62}));
    EXPECT_EQ(displayScale::coverLogical(Rect{4, 7, 152, 62}, 1.5), (Rect{2, 4, 102, 42}));
    // every device pixel maps into the logical pixel whose device area holds it
    for (double scale : {1.25, 1.5, 2.0})
        for (int32_t device = 0; device < 40; ++device) {
            const int32_t logical = displayScale::toLogical(Point{device, 0}, scale).x;
            EXPECT_LE(logical * scale, device + 1e-9);
            EXPECT_GT((logical + 1) * scale, double(device));
        }
    EXPECT_EQ(displayScale::fromDpi(144), 1.5);
    EXPECT_EQ(displayScale::toLogical(Size{300, 150}, 1.5), (Size{200, 100}));
}
