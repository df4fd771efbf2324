// Slider: thumb geometry, the value under the pointer, pressing, dragging, hovering the thumb and the wheel.
#include "Slider.h"

#include <ControlHost.h>
#include <SkinImage.h>
#include <SkinPainter.h>
#include <Style.h>

#include <algorithm>

namespace {

constexpr wchar_t kDefaultStyle[] = L"slider.xml";
constexpr int32_t kWheelUnitsPerStep = 60;   // a notch of 120 moves the value by 2

Point clientPoint(int64_t lparam)
{
    return {int16_t(lparam & 0xFFFF), int16_t((lparam >> 16) & 0xFFFF)};
}

} // namespace

Slider::Slider() : Control(kInitialFlags)
{
    addHandler(EventCode::LButtonDown, this, onLButtonDown);
    addHandler(EventCode::MouseMove, this, onMouseMove);
    addHandler(EventCode::MouseLeave, this, onMouseLeave);
    addHandler(EventCode::MouseWheel, this, onMouseWheel);
}

void Slider::paint(DeviceContext dc, const Rect& windowRect, const Rect&)
{
    skin::paintWith(skin::existingStyleOr(*this, kDefaultStyle), dc, windowRect, this);
}

bool Slider::isVertical() const
{
    return intProperties.value(PropertyKey::orientation, 0) == keywordValue(PropertyKey::vertical);
}

Size Slider::thumbSize() const
{
    const Style* style = skin::existingStyleOr(*this, kDefaultStyle);
    const SkinImage* thumb = style ? skin::imageOf(*style, PropertyKey::thumbUpSkin) : nullptr;
    return thumb ? Size{thumb->width, thumb->height} : Size{};
}

Size Slider::measureOverride(Size available)
{
    const Size thumb = thumbSize();
    if (thumb == Size{})
        return available;
    if (isVertical())
        return {thumb.width, available.height};
    return {available.width, thumb.height};
}

Rect Slider::thumbRect(Size thumb) const
{
    if (maximum <= 0)
        return {};
    const bool vertical = isVertical();
    const int32_t extent = vertical ? thumb.height : thumb.width;
    const int32_t length = vertical ? rect.height() : rect.width();
    const int32_t half = extent / 2;
    const int32_t start = int32_t(half + int64_t(length - 2 * half) * value / maximum - extent / 2);
    if (vertical)
        return {0, start, rect.width(), start + extent};
    return {start, 0, start + extent, rect.height()};
}

int32_t Slider::valueAt(Point client) const
{
    Rect area;
    if (!absoluteRect(area))
        return value;
    const Size thumb = thumbSize();
    const bool vertical = isVertical();
    const int32_t half = (vertical ? thumb.height : thumb.width) / 2;
    const int64_t pointer = vertical ? client.y - area.top : client.x - area.left;
    // the track is what the thumb's centre can travel; a slider no longer than its thumb has none
    const int64_t track = int64_t(vertical ? area.height() : area.width()) - 2 * half;
    if (track <= 0)
        return 0;
    const int64_t v = (pointer - half) * maximum / track;
    return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

void Slider::setValue(int32_t v)
{
    v = std::clamp(v, 0, std::max(0, maximum));
    if (v == value)
        return;
    value = v;
    announce(ControlChange::value);
    // repaint first: a ValueChange handler may delete the slider
    invalidate();
    send(EventCode::ValueChange);
}

void Slider::onLButtonDown(void* target, Control*, ControlEvent* event)
{
    auto* slider = static_cast<Slider*>(target);
    // the window has captured the slider: the thumb jumps here and the drag follows
    event->handled = 1;
    slider->setValue(slider->valueAt(clientPoint(event->lparam)));
}

void Slider::onMouseMove(void* target, Control*, ControlEvent* event)
{
    auto* slider = static_cast<Slider*>(target);
    const Point client = clientPoint(event->lparam);
    if (slider->hasFlags(Flag::captured)) {
        slider->setValue(slider->valueAt(client));
        return;
    }
    Point local;
    if (!slider->toLocal(client, local))
        return;
    const bool overThumb = slider->thumbRect(slider->thumbSize()).contains(local);
    if (overThumb != slider->hasFlags(Flag::checked)) {
        slider->setFlag(Flag::checked, overThumb);
        slider->invalidate();
    }
}

void Slider::onMouseLeave(void* target, Control*, ControlEvent*)
{
    // the window repaints a control with repaintOnInteraction that the pointer leaves
    static_cast<Slider*>(target)->setFlag(Flag::checked, false);
}

void Slider::onMouseWheel(void* target, Control*, ControlEvent* event)
{
    auto* slider = static_cast<Slider*>(target);
    if (!slider->hasFlags(Flag::wheelAdjusts))
        return;
    const auto delta = int16_t((event->wparam >> 16) & 0xFFFF);
    // the thumb moves under a still pointer: a move, queued now and handled after the change,
    // lets the hover state follow it
    if (ControlHost* window = slider->window())
        window->postMouseMove();
    slider->setValue(slider->value + delta / kWheelUnitsPerStep);
}

ControlKind Slider::kind() const
{
    return ControlKind::stop(AccessRole::slider);
}

bool Slider::accessibleValue(std::wstring& out) const
{
    out = std::to_wstring(value);
    return true;
}
