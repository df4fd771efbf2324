// ScrollBar: arrow layout, the thumb, part hit testing, pressing, repeating, dragging and EnsurePosition.
#include "ScrollBar.h"

#include "ScrollPanel.h"

#include <ControlHost.h>
#include <SkinImage.h>
#include <SkinPainter.h>
#include <Style.h>

#include <windows.h>

#include <algorithm>

namespace {

constexpr wchar_t kDefaultStyle[] = L"vscrollbar.xml";

Size imageSize(const Style* style, PropertyKey key)
{
    const SkinImage* image = style ? skin::imageOf(*style, key) : nullptr;
    return image ? Size{image->width, image->height} : Size{};
}

} // namespace

ScrollBar::ScrollBar() : Control(kInitialFlags)
{
    addHandler(EventCode::LButtonDown, this, onLButtonDown);
    addHandler(EventCode::MouseMove, this, onMouseMove);
    addHandler(EventCode::LostCapture, this, onLostCapture);
    addHandler(EventCode::MouseLeave, this, onMouseLeave);
}

void ScrollBar::paint(DeviceContext dc, const Rect& windowRect, const Rect&)
{
    skin::paintWith(skin::existingStyleOr(*this, kDefaultStyle), dc, windowRect, this);
}

Size ScrollBar::arrangeOverride(Size finalSize)
{
    const Style* style = skin::existingStyleOr(*this, kDefaultStyle);
    const Size up = imageSize(style, PropertyKey::upArrowUpSkin);
    const Size down = imageSize(style, PropertyKey::downArrowUpSkin);
    const int32_t w = finalSize.width, h = finalSize.height;
    if (vertical) {
        const int32_t upLeft = (w - up.width) / 2, downLeft = (w - down.width) / 2;
        upArrow = {upLeft, 0, upLeft + up.width, up.height};
        downArrow = {downLeft, h - down.height, downLeft + down.width, h};
    } else {
        const int32_t upTop = (h - up.height) / 2, downTop = (h - down.height) / 2;
        upArrow = {0, upTop, up.width, upTop + up.height};
        downArrow = {w - down.width, downTop, w, downTop + down.height};
    }
    return finalSize;
}

Rect ScrollBar::thumbRect() const
{
    if (range <= 0 || page >= range)
        return {};
    // along the bar's axis: the track between the arrows, the thumb's length and its start
    const int64_t track = vertical ? downArrow.top - upArrow.bottom : downArrow.left - upArrow.right;
    const int64_t length = std::max<int64_t>(20, int64_t(page) * track / range + 1);
    const int64_t start = (vertical ? upArrow.bottom : upArrow.right) + (track - length) * position / (range - page);
    if (vertical)
        return {0, int32_t(start), rect.width(), int32_t(start + length)};
    return {int32_t(start), 0, int32_t(start + length), rect.height()};
}

int32_t ScrollBar::hitPart(Point p) const
{
    if (upArrow.contains(p))
        return kUpArrowPressed;
    if (downArrow.contains(p))
        return kDownArrowPressed;
    const Rect thumb = thumbRect();
    if (thumb.contains(p))
        return kThumbPressed;
    if (thumb.isEmpty())
        return 0;
    // the page areas lie between an arrow and the thumb, as wide across the bar as that arrow
    const Rect pageUp = vertical ? Rect{upArrow.left, upArrow.bottom, upArrow.right, thumb.top}
                                 : Rect{upArrow.right, upArrow.top, thumb.left, upArrow.bottom};
    const Rect pageDown = vertical ? Rect{downArrow.left, thumb.bottom, downArrow.right, downArrow.top}
                                   : Rect{thumb.right, downArrow.top, downArrow.left, downArrow.bottom};
    if (pageUp.contains(p))
        return kPageUpPressed;
    if (pageDown.contains(p))
        return kPageDownPressed;
    return 0;
}

void ScrollBar::EnsurePosition(int32_t p)
{
    if (!isAttached(this) || !window()) {
        OutputDebugStringW(L"ScrollBar::EnsurePosition UnExpected Error.\n");
        return;
    }
    const bool scrollable = page < range;
    if (hasFlags(Flag::enabled) != scrollable)
        setEnabled(scrollable);
    // max(0, min(p, range − page)): a page larger than the range gives 0, never a negative position
    p = scrollable ? std::max(0, std::min(p, range - page)) : 0;
    if (p == position)
        return;
    position = p;
    if (auto* panel = dynamic_cast<ScrollPanel*>(parent()))
        panel->scrollTo(vertical, p);
    invalidate();
}

// --- the mouse ---

bool ScrollBar::localPoint(const ControlEvent& event, Point& out) const
{
    const Point client{int16_t(event.lparam & 0xFFFF), int16_t((event.lparam >> 16) & 0xFFFF)};
    return toLocal(client, out);
}

void ScrollBar::notify(int32_t code, int64_t value)
{
    send(EventCode::Notify, uint64_t(code), value);
}

void ScrollBar::onLButtonDown(void* target, Control*, ControlEvent* event)
{
    auto* bar = static_cast<ScrollBar*>(target);
    Point p;
    if (!bar->localPoint(*event, p))
        return;
    const int32_t part = bar->hitPart(p);
    bar->partBits = (bar->partBits & ~kPressedParts) | part;
    if (part == kThumbPressed) {
        const Rect thumb = bar->thumbRect();
        bar->grabOffset = (bar->vertical ? thumb.top : thumb.left) - bar->along(p);
        return;
    }
    // the first action at once, then every interval while the button is held over the part
    if (part)
        bar->repeatTimer_.start();   // may delete the bar: nothing after it
}

void ScrollBar::onMouseMove(void* target, Control*, ControlEvent* event)
{
    auto* bar = static_cast<ScrollBar*>(target);
    Point p;
    if (!bar->localPoint(*event, p))
        return;
    if (!bar->hasFlags(Flag::captured)) {
        // the part under the pointer; a stale pressed part is dropped with it
        const int32_t over = bar->hitPart(p) >> 4;
        if (over != bar->partBits) {
            bar->partBits = over;
            bar->invalidate();
        }
        return;
    }
    const int32_t pressed = bar->partBits & kPressedParts;
    if (pressed == kThumbPressed) {
        const Rect thumb = bar->thumbRect();
        const int32_t length = bar->vertical ? bar->rect.height() : bar->rect.width();
        const int32_t thumbLength = bar->vertical ? thumb.height() : thumb.width();
        const int32_t arrows = bar->vertical ? bar->upArrow.height() + bar->downArrow.height()
                                             : bar->upArrow.width() + bar->downArrow.width();
        const int64_t free = int64_t(length) - thumbLength - arrows;
        if (free < 1)
            return;
        const int64_t offset =
            int64_t(bar->along(p)) + bar->grabOffset - (bar->vertical ? bar->upArrow.bottom : bar->upArrow.right);
        bar->notify(thumbDrag, int64_t(bar->range - bar->page) * offset / free);
        return;
    }
    if (!pressed)
        return;
    // repeating only while the pointer stays on the pressed part; back on it, at once again
    if (bar->hitPart(p) == pressed)
        bar->repeatTimer_.start();   // may delete the bar
    else
        bar->repeatTimer_.stop();
}

void ScrollBar::onLostCapture(void* target, Control*, ControlEvent*)
{
    static_cast<ScrollBar*>(target)->repeatTimer_.stop();
}

void ScrollBar::onMouseLeave(void* target, Control*, ControlEvent*)
{
    auto* bar = static_cast<ScrollBar*>(target);
    bar->partBits &= ~(kUpArrowOver | kDownArrowOver | kThumbOver);
    bar->invalidate();
}

void ScrollBar::ScrollTimer::tick()
{
    bar_.repeat();
}

void ScrollBar::repeat()
{
    switch (partBits & kPressedParts) {
    case kUpArrowPressed:
        notify(lineUp, 0);
        return;
    case kDownArrowPressed:
        notify(lineDown, 0);
        return;
    case kPageUpPressed:
    case kPageDownPressed: {
        // a page action repeats until the thumb has come under the pointer
        const int32_t pressed = partBits & kPressedParts;
        Point p;
        if (localCursorPosition(p) && hitPart(p) == pressed)
            notify(pressed == kPageUpPressed ? pageUp : pageDown, 0);
        return;
    }
    default:
        return;
    }
}

ControlKind ScrollBar::kind() const
{
    return ControlKind::of(AccessRole::scrollBar);
}
