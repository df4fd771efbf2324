// PowerPoint: the slide list, the timer's steps, the cross-fade and painting.
#include "PowerPoint.h"

#include "CrossFade.h"

#include <SkinImage.h>
#include <SkinPainter.h>
#include <Toolkit.h>

#include <algorithm>
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
    blendPixels_ = nullptr;
    blendBitmap_.reset();
    blendDC_.reset();
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

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = slideWidth_;
    info.bmiHeader.biHeight = -slideHeight_;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    blendDC_ = platform::MemoryDC(nullptr);
    blendBitmap_.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!blendDC_ || !blendBitmap_ || !bits) {
        debugNote(L"no blend surface: the show stays empty");
        releaseSlides();
        return;
    }
    blendPixels_ = static_cast<uint8_t*>(bits);
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

HBITMAP PowerPoint::frameToShow()
{
    if (slides_.empty())
        return nullptr;
    current_ = std::min(current_, slides_.size() - 1);
    const SkinImage* shown = slides_[current_];
    if (!timer_.isRunning() || tick_ < 0 || tick_ >= kFadeTicks)
        return shown->bitmap();
    // the slide before the current one, the last before the first
    const SkinImage* previous = slides_[(current_ + slides_.size() - 1) % slides_.size()];
    GdiFlush();
    size_t bytes = size_t(slideWidth_) * size_t(slideHeight_) * 4;
    crossFade::blend(reinterpret_cast<const uint8_t*>(previous->pixels()),
                     reinterpret_cast<const uint8_t*>(shown->pixels()), blendPixels_, bytes,
                     crossFade::weight(tick_));
    return blendBitmap_.get();
}

void PowerPoint::paint(DeviceContext dc, const Rect& windowRect, const Rect&)
{
    HBITMAP frame = frameToShow();
    int32_t width = std::min(slideWidth_, windowRect.width());
    int32_t height = std::min(slideHeight_, windowRect.height());
    if (!frame || !dc || width <= 0 || height <= 0)
        return;
    platform::SelectScope selected(blendDC_.get(), frame);
    if (!selected)
        return;
    if (Toolkit::AlphaBlend) {
        Toolkit::AlphaBlend(dc, windowRect.left, windowRect.top, width, height, blendDC_.get(), 0, 0, width, height,
                            kPerPixelAlpha);
    } else {
        BitBlt(dc, windowRect.left, windowRect.top, width, height, blendDC_.get(), 0, 0, SRCCOPY);
    }
}
