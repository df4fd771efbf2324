// A slide show that cross-fades through its images on a timer.
#pragma once

#include <Control.h>
#include <OffscreenSurface.h>
#include <Timer.h>
#include <platform/Gdi.h>

#include <cstddef>
#include <cstdint>
#include <vector>

class SkinImage;

// The slides come from the `imagelist` property (image names separated by ";") each time the
// control is attached. Every slide must have the size of the first usable one: a name that finds
// no image, an image that did not decode and an image of another size are left out (the blend
// runs over whole buffers of one size). Without a slide the show never starts and paints nothing.
class PowerPoint : public Control, public SlidePlayer {
public:
    static constexpr uint64_t kInitialFlags = Control::kInitialFlags;
    static constexpr int32_t kTickInterval = 30;   // milliseconds
    static constexpr int32_t kLastTick = 150;      // a slide shows for ticks 0 … 150, about 4.5 s
    static constexpr int32_t kFadeTicks = 40;      // the first 40 ticks fade in from the previous slide
    static constexpr int32_t kStartTick = 50;      // playStart shows the current slide without a fade

    PowerPoint();
    ~PowerPoint() override;
    const wchar_t* className() const override;
    // A picture: shown to screen readers only with an `accName`.
    ControlKind kind() const override;
    void startShow() override { playStart(); }
    void stopShow() override { playStop(); }
    // The frame to show at its natural size from the control's top-left corner, cut at the
    // control's right and bottom edges.
    void paint(DeviceContext dc, const Rect& windowRect, const Rect& clip) override;

    // Starts the show at tick 50 and ticks once at once. Nothing while it runs, or without slides.
    void playStart();
    // Stops the show and repaints; the current slide stays, shown unblended.
    void playStop();
    bool playing() const { return timer_.isRunning(); }

    // One period of the show: the next tick, or after the last one the next slide. Requests a
    // repaint (posted).
    void advance();

    size_t slideCount() const { return slides_.size(); }
    size_t current() const { return current_; }
    int32_t tick() const { return tick_; }

private:
    class PowerPointTimer final : public Timer {
    public:
        explicit PowerPointTimer(PowerPoint& owner) : owner_(owner) {}
        void tick() override { owner_.advance(); }

    private:
        PowerPoint& owner_;
    };

    static void onAttached(void* target, Control* sender, ControlEvent* event);
    // Looks the slides up afresh and makes the blend surface for their size.
    void loadSlides();
    // Forgets the slides and deletes the blend surface.
    void releaseSlides();
    // Puts the picture to show now on the surface: a blend while a running show is fading, else
    // the current slide. False without slides.
    bool frameToShow();

    PowerPointTimer timer_;
    std::vector<SkinImage*> slides_;   // not owned: the style registry's images
    size_t current_ = 0;
    int32_t tick_ = 0;
    OffscreenSurface surface_;             // of the slides' size
    const SkinImage* onSurface_ = nullptr; // not owned; the slide the surface holds unblended
    int32_t slideWidth_ = 0;
    int32_t slideHeight_ = 0;
};
