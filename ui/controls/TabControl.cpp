// TabControl: the strip of tabs, the selected page, selection with its events and the page slide.
#include "TabControl.h"

#include "TabItem.h"

#include <ClipScope.h>

#include <windows.h>

#include <algorithm>

namespace {

void paintChild(Control* child, DeviceContext dc, const Rect& windowRect, const Rect& clip)
{
    if (!child->hasFlags(Flag::visible) || child->hasFlags(Flag::collapsed))
        return;
    const Rect childRect = child->rect.offset(windowRect.left, windowRect.top);
    const Rect visible = intersect(childRect, clip);
    if (visible.isEmpty())
        return;
    ClipScope scope(dc, visible);
    child->paint(dc, childRect, visible);
}

} // namespace

TabControl::TabControl() : Panel(kInitialFlags) {}

TabControl::~TabControl()
{
    for (Control* child = firstChild(); child; child = child->nextSibling()) {
        if (TabItem* tab = asTab(child))
            unlinkUnlisted(tab->content);
    }
}

TabControl::Placement TabControl::placement() const
{
    const int32_t* value = intProperties.get(PropertyKey::tabPlacement);
    if (!value || *value == keywordValue(PropertyKey::top))
        return Placement::top;
    return *value == keywordValue(PropertyKey::left) ? Placement::left : Placement::none;
}

TabItem* TabControl::asTab(Control* child) const
{
    if (!child || child->parent() != this || !child->hasFlags(Flag::tabItemMark))
        return nullptr;
    return dynamic_cast<TabItem*>(child);
}

int32_t TabControl::indexOf(const Control* child) const
{
    int32_t index = 0;
    for (const Control* c = firstChild(); c; c = c->nextSibling(), ++index) {
        if (c == child)
            return index;
    }
    return -1;
}

TabItem* TabControl::selectedItem() const
{
    // compared by address among the live children first: the selected tab may be gone
    for (Control* child = firstChild(); child; child = child->nextSibling()) {
        if (selected_.is(child))
            return asTab(child);
    }
    return nullptr;
}

// --- pages ---

void TabControl::attachPage(TabItem* item)
{
    Control* page = item ? item->content : nullptr;
    if (!page || asTab(item) != item)
        return;
    if (page->parent() != this && !linkUnlisted(page))
        return;   // the page is someone else's child
    if (window() && isAttached(this) && !isAttached(page))
        attach(page);
}

void TabControl::detachPage(TabItem* item)
{
    Control* page = item ? item->content : nullptr;
    if (!page || page->parent() != this)
        return;
    detach(page);
    unlinkUnlisted(page);
}

// --- layout ---

Size TabControl::measureOverride(Size available)
{
    const Placement where = placement();
    if (where == Placement::none || !firstChild())
        return {0, 0};
    tabExtent = intProperties.value(PropertyKey::tabHeight, 0);
    const int32_t n = tabExtent;
    const bool top = where == Placement::top;
    int32_t tabs = 0;   // the strip's length: the tabs end to end
    Size pages;         // the largest page in each direction
    for (Control* child = firstChild(); child; child = child->nextSibling()) {
        const Size tab = child->measure(top ? Size{available.width, n} : Size{n, available.height});
        tabs += top ? tab.width : tab.height;
        TabItem* item = asTab(child);
        if (!item || !item->content)
            continue;
        const Size page = item->content->measure(top ? Size{available.width, available.height - n}
                                                     : Size{available.width - n, available.height});
        pages.width = std::max(pages.width, page.width);
        pages.height = std::max(pages.height, page.height);
    }
    if (top)
        return {std::max(tabs, pages.width), pages.height + n};
    return {pages.width + n, std::max(tabs, pages.height)};
}

Size TabControl::arrangeOverride(Size finalSize)
{
    const Placement where = placement();
    if (where == Placement::none)
        return finalSize;
    if (!selectedItem()) {
        for (Control* child = firstChild(); child; child = child->nextSibling()) {
            if (TabItem* tab = asTab(child)) {
                select(tab);
                break;
            }
        }
    }
    tabExtent = intProperties.value(PropertyKey::tabHeight, 0);
    const int32_t n = tabExtent, w = finalSize.width, h = finalSize.height;
    const bool top = where == Placement::top;
    headerRect = top ? Rect{0, 0, w, n} : Rect{0, 0, n, h};
    contentRect = top ? Rect{0, n, w, h} : Rect{n, 0, w, h};
    int32_t offset = 0;
    for (Control* child = firstChild(); child; child = child->nextSibling()) {
        const int32_t length = top ? child->desiredSize.width : child->desiredSize.height;
        child->arrange(top ? Rect{offset, 0, offset + length, n} : Rect{0, offset, n, offset + length});
        offset += length;
        TabItem* item = asTab(child);
        if (item && item->content)
            item->content->arrange(contentRect);
    }
    return finalSize;
}

// --- painting and hit testing ---

void TabControl::paint(DeviceContext dc, const Rect& windowRect, const Rect& clip)
{
    Control::paint(dc, headerRect.offset(windowRect.left, windowRect.top), clip);
    for (Control* child = firstChild(); child; child = child->nextSibling())
        paintChild(child, dc, windowRect, clip);
    TabItem* tab = selectedItem();
    if (Control* page = tab ? tab->content : nullptr)
        paintChild(page, dc, windowRect, intersect(clip, contentRect.offset(windowRect.left, windowRect.top)));
}

Control* TabControl::hitTest(Point point)
{
    if (!Control::hitTest(point))
        return nullptr;
    const Point local{point.x - rect.left, point.y - rect.top};
    if (headerRect.contains(local)) {
        for (Control* child = lastChild(); child; child = child->previousSibling()) {
            if (Control* hit = child->hitTest(local))
                return hit;
        }
        return this;
    }
    TabItem* tab = selectedItem();
    if (Control* page = tab ? tab->content : nullptr) {
        if (Control* hit = page->hitTest(local))
            return hit;
    }
    return this;
}

// --- selection ---

void TabControl::select(TabItem* item)
{
    item = asTab(item);
    TabItem* previous = selectedItem();
    if (!item || item == previous)
        return;
    const HeldControl self(this), heldItem(item);
    const bool attached = isAttached(this);
    // Events run handlers only while attached; each of them may take this control or the tab away.
    auto gone = [&] { return attached && (!self.get() || !heldItem.get() || asTab(item) != item); };

    int32_t previousIndex = -1;
    if (previous) {
        previousIndex = indexOf(previous);
        const HeldControl heldPrevious(previous);
        previous->writeFlags(Flag::checked, false);
        previous->send(EventCode::ValueChange);
        if (heldPrevious.get())
            previous->invalidate(true);
        if (gone())
            return;
    }
    selected_ = heldItem;
    item->writeFlags(Flag::checked, true);
    send(EventCode::ValueChange);
    if (gone())
        return;
    if (previous && placement() == Placement::top && item->content)
        slideIn(item->content, previousIndex < indexOf(item));
    invalidate();
}

void TabControl::slideIn(Control* page, bool fromRight)
{
    if (!isAttached(page))
        return;
    LARGE_INTEGER frequency{}, now{};
    QueryPerformanceFrequency(&frequency);
    const int64_t frameTicks = std::max<int64_t>(1, frequency.QuadPart * kSlideFrameMs / 1000);
    const Rect home = page->rect;
    const int32_t w = contentRect.width();
    // ten frames: from the right the page starts a whole width away and closes in; from the left
    // it starts one step in from a whole width away
    for (int32_t frame = 0; frame < kSlideFrames; ++frame) {
        QueryPerformanceCounter(&now);
        const int64_t begin = now.QuadPart;
        const int32_t step = fromRight ? kSlideFrames - frame : frame;
        const int32_t offset = fromRight ? step * w / kSlideFrames : step * w / kSlideFrames - w;
        page->rect = home.offset(offset, 0);
        page->invalidate(true);
        // the repaint ran no handler, but the window itself may have gone with it
        if (!isAttached(page))
            return;
        do {
            Sleep(0);
            QueryPerformanceCounter(&now);
        } while (now.QuadPart - begin < frameTicks);
    }
    page->rect = home;
}

ControlKind TabControl::kind() const
{
    return ControlKind::of(AccessRole::pageTabList);
}

Control* TabControl::unlistedPage() const
{
    TabItem* item = selectedItem();
    return item ? item->content : nullptr;
}
