// PowerPoint: the slide list, the timer's steps, the cross-fade and painting.
#include "PowerPoint.h"

#include "CrossFade.h"

#include <SkinImage.h>
#include <SkinPainter.h>
#include <Toolkit.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace {

constexpr BlendFunction kPerPixelAlpha{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};

void debugNote(const std::wstring& text)
{
    OutputDebugStringW((L"PowerPoint: " + text + L"\n").c_str());
}

} // namespace

PowerPoint::PowerPoint() : Control(kInitialFlags), timer_(*this)
{
    timer_.interval = kTickInterval;
    addHandler(EventCode::Attached, this, onAttached);
}

PowerPoint::~PowerPoint()
{
    timer_.stop();
    releaseSlides();
}

const wchar_t* PowerPoint::className() const
{
    return L"PowerPoint";
}

void PowerPoint::onAttached(void* target, Control*, ControlEvent*)
{
    static_cast<PowerPoint*>(target)->loadSlides();
}

void PowerPoint::releaseSlides()
{
    surface_.release();
    onSurface_ = nullptr;
    slides_.clear();
    slideWidth_ = slideHeight_ = 0;
}

void PowerPoint::loadSlides()
{
    // attached again (taken out of a tree and put back): start over instead of adding to the list
    releaseSlides();
    timer_.interval = kTickInterval;
    current_ = 0;

    // split at every ";" (nothing trimmed; an empty name is looked up like any other)
    const std::wstring list = textProperties.value(PropertyKey::imagelist, std::wstring());
    size_t start = 0;
    while (!list.empty() && start <= list.size()) {
        size_t end = std::min(list.find(L';', start), list.size());
        std::wstring name = list.substr(start, end - start);
        start = end + 1;
        SkinImage* image = skin::image(name);
        if (!image || !image->bitmap() || !image->pixels()) {
            debugNote(L"no usable image \"" + name + L"\": left out");
            continue;
        }
        if (slides_.empty()) {
            slideWidth_ = image->width;
            slideHeight_ = image->height;
        } else if (image->width != slideWidth_ || image->height != slideHeight_) {
            debugNote(L"\"" + name + L"\" differs in size from the first slide: left out");
            continue;
        }
        slides_.push_back(image);
    }
    if (slides_.empty())
        return;

    if (!surface_.resize(slideWidth_, slideHeight_)) {
        debugNote(L"no blend surface: the show stays empty");
        releaseSlides();
    }
}

void PowerPoint::playStart()
{
    if (timer_.isRunning() || slides_.empty())
        return;
    tick_ = kStartTick;
    timer_.start();   // ticks once at once
}

void PowerPoint::playStop()
{
    timer_.stop();
    invalidate(false);
}

void PowerPoint::advance()
{
    if (slides_.empty())
        return;
    if (tick_ >= kLastTick) {
        tick_ = 0;
        current_ = (current_ + 1) % slides_.size();
    } else {
        ++tick_;
    }
    invalidate(false);
}

bool PowerPoint::frameToShow()
{
    if (slides_.empty() || !surface_.pixels())
        return false;
    current_ = std::min(current_, slides_.size() - 1);
    const SkinImage* shown = slides_[current_];
    const size_t bytes = size_t(slideWidth_) * size_t(slideHeight_) * 4;
    GdiFlush();
    if (!timer_.isRunning() || tick_ < 0 || tick_ >= kFadeTicks) {
        // a still slide is copied once, not at every paint
        if (onSurface_ != shown) {
            std::memcpy(surface_.pixels(), shown->pixels(), bytes);
            onSurface_ = shown;
        }
        return true;
    }
    // the slide before the current one, the last before the first
    const SkinImage* previous = slides_[(current_ + slides_.size() - 1) % slides_.size()];
    crossFade::blend(reinterpret_cast<const uint8_t*>(previous->pixels()),
                     reinterpret_cast<const uint8_t*>(shown->pixels()),
                     reinterpret_cast<uint8_t*>(surface_.pixels()), bytes, crossFade::weight(tick_));
    onSurface_ = nullptr;
    return true;
}

void PowerPoint::paint(DeviceContext dc, const Rect& windowRect, const Rect&)
{
    int32_t width = std::min(slideWidth_, windowRect.width());
    int32_t height = std::min(slideHeight_, windowRect.height());
    if (!dc || width <= 0 || height <= 0 || !frameToShow())
        return;
    if (Toolkit::AlphaBlend) {
        Toolkit::AlphaBlend(dc, windowRect.left, windowRect.top, width, height, surface_.dc(), 0, 0, width, height,
                            kPerPixelAlpha);
    } else {
        BitBlt(dc, windowRect.left, windowRect.top, width, height, surface_.dc(), 0, 0, SRCCOPY);
    }
}

ControlKind PowerPoint::kind() const
{
    ControlKind kind = ControlKind::of(AccessRole::graphic);
    kind.shown = AccessShown::never;
    return kind;
}
