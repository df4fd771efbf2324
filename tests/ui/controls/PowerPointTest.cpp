// The slide show off screen: what each tick shows, the fade's arithmetic, the wrap to the first
// slide, start and stop, and the slides left out of the show.
#include "ui/core/FakeHost.h"
#include "ui/skin/TestImages.h"

#include <CrossFade.h>
#include <PowerPoint.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

constexpr uint32_t kA = 0x204060, kB = 0xA0C0E0, kC = 0x6080F0;
constexpr int32_t kSide = 16;

// The colour a fade shows at weight w, channel by channel.
uint32_t blended(uint32_t previous, uint32_t current, int32_t w)
{
    uint32_t result = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        uint32_t p = (previous >> shift) & 0xFF, c = (current >> shift) & 0xFF;
        result |= ((p * uint32_t(256 - w) + c * uint32_t(w)) >> 8) << shift;
    }
    return result;
}

class SlideShow : public PaintFixture {
protected:
    void SetUp() override
    {
        PaintFixture::SetUp();
        loadPackage({{L"a.png", solidPng(kSide, kSide, 0xFF000000 | kA)},
                     {L"b.png", solidPng(kSide, kSide, 0xFF000000 | kB)},
                     {L"c.png", solidPng(kSide, kSide, 0xFF000000 | kC)},
                     {L"big.png", solidPng(kSide * 2, kSide, 0xFFFF0000)},
                     {L"bad.png", "\x89PNG but not really"}});
    }
    void TearDown() override
    {
        if (show)
            host.detachRoot(show.get());
        show.reset();
        PaintFixture::TearDown();
    }

    // A slide show of the list, attached to the stand-in window and placed at (10, 10).
    void make(const std::wstring& imagelist, int32_t size = 40)
    {
        show = std::make_unique<PowerPoint>();
        show->textProperties.set(PropertyKey::imagelist, imagelist);
        host.attachRoot(show.get());
        show->rect = {10, 10, 10 + size, 10 + size};
    }
    // What the show paints at its top-left pixel on a white surface.
    uint32_t shown()
    {
        fill(0xFFFFFF);
        show->paint(dc(), show->rect, show->rect);
        return pixel(12, 12);
    }
    // Advances until the show stands at that slide and tick.
    void advanceTo(size_t slide, int32_t tick)
    {
        for (int guard = 0; guard < 2000 && !(show->current() == slide && show->tick() == tick); ++guard)
            show->advance();
        ASSERT_EQ(show->current(), slide);
        ASSERT_EQ(show->tick(), tick);
    }

    FakeHost host;
    std::unique_ptr<PowerPoint> show;
};

} // namespace

TEST(CrossFadeTest, WeightRisesAlongAHalfSineAndTheBlendRoundsDown)
{
    EXPECT_EQ(crossFade::weight(0), 0);
    EXPECT_EQ(crossFade::weight(20), 128);
    EXPECT_EQ(crossFade::weight(39), 255);
    for (int32_t tick = 1; tick < 40; ++tick)
        EXPECT_GE(crossFade::weight(tick), crossFade::weight(tick - 1)) << "tick " << tick;

    const uint8_t previous[] = {0, 255, 10, 201, 255};
    const uint8_t current[] = {255, 0, 11, 100, 255};
    uint8_t out[5] = {};
    crossFade::blend(previous, current, out, sizeof out, 128);
    const uint8_t halves[] = {127, 127, 10, 150, 255};   // (previous + current) / 2, rounded down
    for (size_t i = 0; i < sizeof out; ++i)
        EXPECT_EQ(out[i], halves[i]) << "byte " << i;
    crossFade::blend(previous, current, out, sizeof out, 0);
    EXPECT_EQ(out[1], 255) << "weight 0 is the previous image";
}

TEST_F(SlideShow, FadesIntoEachSlideAndWrapsFromTheLastToTheFirst)
{
    make(L"a.png;b.png;c.png");
    ASSERT_EQ(show->slideCount(), 3u);
    EXPECT_EQ(shown(), kA) << "stopped after attach: the first slide";
    EXPECT_FALSE(show->playing());

    show->playStart();
    ASSERT_TRUE(show->playing());
    EXPECT_EQ(show->tick(), PowerPoint::kStartTick + 1) << "starting ticks once at once";
    EXPECT_EQ(shown(), kA) << "the slide being shown comes up without a fade";

    struct Step {
        size_t slide;
        int32_t tick;
        uint32_t expected;
    };
    const Step steps[] = {
        {1, 0, kA},                          // the change: weight 0 is still the previous slide
        {1, 20, blended(kA, kB, 128)},       // halfway: (a + b) / 2
        {1, 39, blended(kA, kB, 255)},
        {1, 40, kB},                         // the fade is over
        {1, 150, kB},                        // the last tick of the slide
        {2, 20, blended(kB, kC, 128)},
        {0, 0, kC},                          // after the last slide, the first, fading from the last
        {0, 20, blended(kC, kA, 128)},
        {0, 45, kA},
    };
    for (const Step& step : steps) {
        advanceTo(step.slide, step.tick);
        EXPECT_EQ(shown(), step.expected) << "slide " << step.slide << " tick " << step.tick;
    }
    EXPECT_FALSE(host.repaintRequests.empty());
    for (bool wait : host.repaintRequests)
        EXPECT_FALSE(wait) << "ticks post their repaint";
}

TEST_F(SlideShow, StartingTwiceKeepsTheFadeAndStoppingShowsTheSlideUnblended)
{
    make(L"a.png;b.png");
    show->playStart();
    advanceTo(1, 20);
    show->playStart();
    EXPECT_EQ(show->tick(), 20) << "a running show is not restarted";
    EXPECT_EQ(shown(), blended(kA, kB, 128));

    size_t repaints = host.repaintRequests.size();
    show->playStop();
    EXPECT_FALSE(show->playing());
    EXPECT_GT(host.repaintRequests.size(), repaints) << "stopping repaints";
    EXPECT_EQ(shown(), kB) << "stopped during a fade: the current slide alone";
    EXPECT_EQ(show->current(), 1u);
    EXPECT_EQ(show->tick(), 20) << "slide and tick survive a stop";

    show->playStart();
    EXPECT_EQ(show->current(), 1u);
    EXPECT_EQ(show->tick(), PowerPoint::kStartTick + 1);
    EXPECT_EQ(shown(), kB);
}

TEST_F(SlideShow, LeavesOutSlidesThatAreMissingUndecodableOrOfAnotherSize)
{
    struct Case {
        const wchar_t* imagelist;
        std::vector<uint32_t> slides;   // the colours of the slides kept, in order
    };
    const Case cases[] = {
        {L"a.png;big.png;b.png", {kA, kB}},                   // the second size would overrun the blend
        {L"missing.png;bad.png;b.png;;c.png;big.png", {kB, kC}},   // the first usable slide sets the size
        {L"big.png;a.png;b.png", {0xFF0000}},
        {L"", {}},
        {L"missing.png;bad.png", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing_support::narrow(c.imagelist));
        make(c.imagelist);
        ASSERT_EQ(show->slideCount(), c.slides.size());
        EXPECT_EQ(shown(), c.slides.empty() ? 0xFFFFFFu : c.slides[0]) << "an empty show paints nothing";
        show->playStart();
        EXPECT_EQ(show->playing(), !c.slides.empty()) << "an empty show never starts";
        // a round and a half through the show, fades included, with slides of one size only
        for (int i = 0; i < 151 * 3 + 20; ++i)
            show->advance();
        show->playStop();
        if (!c.slides.empty()) {
            EXPECT_EQ(shown(), c.slides[show->current()]);
        }
        host.detachRoot(show.get());
        show.reset();
    }
}

TEST_F(SlideShow, AttachingAgainStartsOverAndPaintingStaysInsideTheControl)
{
    make(L"a.png;b.png;c.png", kSide / 2);
    show->playStart();
    advanceTo(2, 60);
    host.detachRoot(show.get());
    host.attachRoot(show.get());
    EXPECT_EQ(show->slideCount(), 3u) << "the list is made afresh, not appended to";
    EXPECT_EQ(show->current(), 0u);

    // a control smaller than its slides shows their top-left part only
    show->playStop();
    fill(0xFFFFFF);
    show->paint(dc(), show->rect, show->rect);
    EXPECT_EQ(pixel(10 + kSide / 2 - 1, 10 + kSide / 2 - 1), kA);
    EXPECT_EQ(pixel(10 + kSide / 2, 10), 0xFFFFFFu);
    EXPECT_EQ(pixel(10, 10 + kSide / 2), 0xFFFFFFu);
}
