// ListBox: items, selection by keys and clicks, scrolling by wheel and bars, keeping the selection in view.
#include "ListBox.h"

#include "ListItem.h"
#include "ScrollBar.h"

#include <ControlHost.h>
#include <StackPanel.h>

#include <windows.h>

#include <algorithm>

namespace {

constexpr int32_t kWheelUnitsPerStep = 60;   // a notch of 120 scrolls two items

} // namespace

ListBox::ListBox() : ScrollPanel(kInitialFlags)
{
    items_ = new StackPanel;
    addChild(items_);
    addHandler(EventCode::PrevLButtonDown, this, onPrevLButtonDown);
    addHandler(EventCode::MouseWheel, this, onMouseWheel);
    addHandler(EventCode::KeyDown, this, onKeyDown);
    addHandler(EventCode::LButtonUp, this, onLButtonUp);
}

ScrollBar* ListBox::createScrollBar(bool vertical)
{
    ScrollBar* bar = ScrollPanel::createScrollBar(vertical);
    if (bar)
        bar->addHandler(EventCode::Notify, this, onBarNotify);
    return bar;
}

int32_t ListBox::itemHeight() const
{
    return intProperties.value(PropertyKey::itemHeight, 0);
}

int32_t ListBox::itemCount() const
{
    return items_ ? items_->childCount() : 0;
}

ListItem* ListBox::asItem(Control* control) const
{
    // compared by address among the live items only: `control` may be anything
    for (Control* c = items_ ? items_->firstChild() : nullptr; c; c = c->nextSibling()) {
        if (c == control)
            return dynamic_cast<ListItem*>(c);
    }
    return nullptr;
}

ListItem* ListBox::selectedItem() const
{
    // compared by address among the live items first: the selected item may be gone
    for (Control* c = items_ ? items_->firstChild() : nullptr; c; c = c->nextSibling()) {
        if (selected_.is(c))
            return dynamic_cast<ListItem*>(c);
    }
    return nullptr;
}

std::wstring ListBox::selectedText() const
{
    const ListItem* item = selectedItem();
    const std::wstring* text = item ? item->textProperties.get(PropertyKey::text) : nullptr;
    return text ? *text : std::wstring();
}

ListItem* ListBox::addItem(const std::wstring& text, const std::wstring& style)
{
    auto* item = new ListItem;
    item->textProperties.set(PropertyKey::text, text);
    item->textProperties.set(PropertyKey::style, style);
    if (const int32_t* height = intProperties.get(PropertyKey::itemHeight))
        item->intProperties.set(PropertyKey::itemHeight, *height);
    if (!items_ || !items_->addChild(item)) {
        delete item;
        return nullptr;
    }
    // the list keeps its own size; only its bars and content change
    if (!rect.isEmpty() && isAttached(this)) {
        arrangeOverride({rect.width(), rect.height()});
        invalidate();
    }
    return item;
}

void ListBox::select(ListItem* item, bool notify)
{
    item = asItem(item);
    if (ListItem* previous = selectedItem(); previous && previous != item) {
        previous->writeFlags(Flag::checked, false);
        previous->invalidate();
    }
    selected_ = HeldControl(item);
    if (item) {
        item->writeFlags(Flag::checked, true);
        scrollIntoView(item);
    }
    invalidate();
    if (!notify)
        return;
    send(EventCode::Notify);
}

void ListBox::scrollIntoView(const Control* item)
{
    ScrollBar* bar = verticalBar();
    if (!item || !bar)
        return;
    const int32_t h = rect.height();
    const int32_t n = itemHeight();
    const int32_t top = bar->position, bottom = top + h;
    const int32_t itemTop = contentRect().top + item->rect.top;
    const int32_t itemBottom = contentRect().top + item->rect.bottom;
    if (itemTop < top)
        bar->EnsurePosition(itemTop);
    else if (itemBottom > bottom)
        bar->EnsurePosition((n > 0 ? h % n : 0) + itemBottom - h);   // whole rows above the item
}

int32_t ListBox::lineStep() const
{
    if (const int32_t n = itemHeight(); n > 0)
        return n;
    const Control* first = items_ ? items_->firstChild() : nullptr;
    return first && first->rect.height() > 0 ? first->rect.height() : 1;
}

void ListBox::scrollBy(int32_t delta)
{
    if (ScrollBar* bar = verticalBar())
        bar->EnsurePosition(bar->position + delta);
}

void ListBox::moveSelection(bool down)
{
    ListItem* selected = selectedItem();
    if (!selected)
        return;
    Control* next = down ? selected->nextSibling() : selected->previousSibling();
    auto* item = dynamic_cast<ListItem*>(next);
    if (item)
        select(item, false);   // not past the first item going up, nor the last going down
}

// --- handlers ---

void ListBox::onPrevLButtonDown(void* target, Control* control, ControlEvent*)
{
    auto* list = static_cast<ListBox*>(target);
    ListItem* item = list->asItem(control);
    list->pressed_ = HeldControl(item);
    if (ControlHost* window = list->window())
        window->setFocus(list);
}

void ListBox::onLButtonUp(void* target, Control* control, ControlEvent*)
{
    auto* list = static_cast<ListBox*>(target);
    ListItem* item = list->asItem(control);
    const bool clicked = list->pressed_.is(item);
    list->pressed_ = HeldControl();
    if (clicked)
        list->select(item, true);   // may delete the list
}

void ListBox::onMouseWheel(void* target, Control*, ControlEvent* event)
{
    auto* list = static_cast<ListBox*>(target);
    if (!list->verticalBar())
        return;
    const auto delta = int16_t((event->wparam >> 16) & 0xFFFF);
    list->scrollBy(-list->lineStep() * (delta / kWheelUnitsPerStep));
    // the items moved under a still pointer: the hover follows
    if (ControlHost* window = list->window())
        window->postMouseMove();
}

void ListBox::onKeyDown(void* target, Control*, ControlEvent* event)
{
    auto* list = static_cast<ListBox*>(target);
    if (event->wparam == VK_UP)
        list->moveSelection(false);
    else if (event->wparam == VK_DOWN)
        list->moveSelection(true);
}

void ListBox::onBarNotify(void* target, Control*, ControlEvent* event)
{
    auto* list = static_cast<ListBox*>(target);
    ScrollBar* bar = list->verticalBar();
    if (!bar)
        return;
    // whole items for lines and pages, and a dragged thumb snaps down to an item; without an
    // item height, lines are the first item's height and nothing snaps
    const int32_t n = list->itemHeight();
    const int32_t h = list->rect.height();
    const int32_t page = n > 0 ? h - h % n : h;
    switch (event->wparam) {
    case ScrollBar::lineUp:
        bar->EnsurePosition(bar->position - list->lineStep());
        break;
    case ScrollBar::lineDown:
        bar->EnsurePosition(bar->position + list->lineStep());
        break;
    case ScrollBar::pageUp:
        bar->EnsurePosition(bar->position - page);
        break;
    case ScrollBar::pageDown:
        bar->EnsurePosition(bar->position + page);
        break;
    case ScrollBar::thumbDrag: {
        const int64_t to = event->lparam;
        const int64_t snapped = n > 0 ? int64_t(n) * (to / n) : to;
        bar->EnsurePosition(int32_t(std::clamp<int64_t>(snapped, INT32_MIN, INT32_MAX)));
        break;
    }
    default:
        break;
    }
}

ControlKind ListBox::kind() const
{
    return ControlKind::stop(AccessRole::list);
}
