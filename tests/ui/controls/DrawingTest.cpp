// The image control off screen: its natural size, its picture stretched, and nothing without one.
#include "ui/core/FakeHost.h"
#include "ui/skin/TestImages.h"

#include <Drawing.h>

#include <gtest/gtest.h>

class ImageControl : public PaintFixture {};

TEST_F(ImageControl, MeasuresItsPictureAndDrawsItStretched)
{
    // four quadrants of distinct colours, 2 × 2 pixels, and a file that does not decode
    loadPackage({{L"quads.png", pngImage(2, 2, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00})},
                 {L"bad.png", "not an image"}});
    struct Case {
        const wchar_t* src;   // null: no src property
        Size measured;
    };
    const Case cases[] = {{L"quads.png", {2, 2}}, {nullptr, {0, 0}}, {L"missing.png", {0, 0}}, {L"bad.png", {0, 0}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.src ? testing_support::narrow(c.src) : "no src");
        FakeHost host;
        Drawing image;
        if (c.src)
            image.textProperties.set(PropertyKey::src, c.src);
        host.attachRoot(&image);
        EXPECT_EQ(image.measure({500, 500}), c.measured);
        EXPECT_TRUE(image.hasFlags(Flag::mouseTransparent)) << "a picture takes no input";

        fill(0xFFFFFF);
        image.paint(dc(), {20, 10, 60, 50}, {0, 0, 240, 120});
        if (c.measured.width == 0) {
            EXPECT_TRUE(inkBounds({0, 0, 240, 120}, 0xFFFFFF).isEmpty()) << "nothing drawn";
        } else {
            EXPECT_EQ(pixel(25, 15), 0xFF0000u);
            EXPECT_EQ(pixel(55, 15), 0x00FF00u);
            EXPECT_EQ(pixel(25, 45), 0x0000FFu);
            EXPECT_EQ(pixel(55, 45), 0xFFFF00u);
            EXPECT_EQ(inkBounds({0, 0, 240, 120}, 0xFFFFFF), (Rect{20, 10, 60, 50})) << "stretched over its rectangle";
        }
        host.detachRoot(&image);
    }
}
