// The progress bar painted off screen with a gradient fill image, so that every revealed column
// can be told from the next: 64-bit arithmetic, a range below the position, the clip kept. The
// range and position rules are end to end.
#include "ui/skin/TestImages.h"

#include <ClipScope.h>
#include <ProgressBar.h>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

constexpr uint32_t kBackground = 0x2040A0;
// column i of the fill image: red i, blue 0x80
uint32_t gradient(int32_t column)
{
    return uint32_t(column) << 16 | 0x80;
}

class ProgressBarPaint : public PaintFixture {
protected:
    void SetUp() override
    {
        PaintFixture::SetUp();
        std::vector<uint32_t> fill;
        for (int32_t y = 0; y < 4; ++y) {
            for (int32_t x = 0; x < 200; ++x)
                fill.push_back(0xFF000000 | gradient(x));
        }
        loadPackage({{L"bg.png", solidPng(220, 8, 0xFF000000 | kBackground)}, {L"fill.png", pngImage(200, 4, fill)}});
        bar.textProperties.set(PropertyKey::progressbkimg, L"bg.png");
        bar.textProperties.set(PropertyKey::progressimg, L"fill.png");
        // a fill area 200 pixels wide inside a 220 × 8 bar
        bar.rectProperties.set(PropertyKey::progressmargin, Rect{10, 2, 10, 2});
    }

    // How many columns of the fill area, from its left, show the fill image column for column;
    // -1 when the rest is not background.
    int32_t revealed()
    {
        int32_t count = 0;
        while (count < 200 && pixel(kFillLeft + count, 13) == gradient(count))
            ++count;
        for (int32_t x = kFillLeft + count; x < kFillLeft + 200; ++x) {
            if (pixel(x, 13) != kBackground)
                return -1;
        }
        return count;
    }
    void paint(const Rect& clip = kBar)
    {
        fill(0xFFFFFF);
        ClipScope scope(dc(), clip);
        bar.paint(dc(), kBar, clip);
    }

    static constexpr Rect kBar{10, 10, 230, 18};
    static constexpr int32_t kFillLeft = 20;
    ProgressBar bar;
};

} // namespace

TEST_F(ProgressBarPaint, RevealsPositionOverRangeOfTheFillArea)
{
    struct Case {
        const char* what;
        std::function<void(ProgressBar&)> set;
        int32_t range, position, columns;
    };
    const Case cases[] = {
        {"a fresh bar", [](ProgressBar&) {}, 1, 0, 0},
        {"115 of 230 over 200 pixels", [](ProgressBar& b) { b.setRange(230); b.setPosition(115); }, 230, 115, 100},
        {"a negative range", [](ProgressBar& b) { b.setRange(-230); }, -230, 115, 0},
        {"counts past 32-bit products", [](ProgressBar& b) { b.setRange(2000000000); b.setPosition(1900000000); },
         2000000000, 1900000000, 190},
        {"a range lowered below the position fills the area, no more", [](ProgressBar& b) { b.setRange(100); },
         100, 1900000000, 200},
    };
    for (const Case& c : cases) {
        c.set(bar);
        EXPECT_EQ(bar.range(), c.range) << c.what;
        EXPECT_EQ(bar.position(), c.position) << c.what;
        paint();
        EXPECT_EQ(revealed(), c.columns) << c.what;
        EXPECT_EQ(pixel(12, 13), kBackground) << c.what << ": the margin shows the background";
        EXPECT_EQ(pixel(kBar.right, 13), 0xFFFFFFu) << c.what << ": nothing right of the bar";
    }
}

TEST_F(ProgressBarPaint, TheFillStaysInsideTheControlsClip)
{
    bar.setRange(10);
    bar.setPosition(10);
    // the right part of the bar is hidden (by its parent's edge, say)
    paint({kBar.left, kBar.top, 120, kBar.bottom});
    EXPECT_EQ(pixel(119, 13), gradient(99));
    for (int32_t x = 120; x < kBar.right; ++x)
        ASSERT_EQ(pixel(x, 13), 0xFFFFFFu) << "painted outside the clip at x " << x;
}
