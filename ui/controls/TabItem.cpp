// TabItem: the header of one tab page: selected by a press, never clicked.
#include "TabItem.h"

#include "TabControl.h"

namespace {

TabControl* tabControlOf(Control* item)
{
    return dynamic_cast<TabControl*>(item->parent());
}

} // namespace

TabItem::TabItem() : Button(kInitialFlags)
{
    addHandler(EventCode::LButtonDown, this, onLButtonDown);
    addHandler(EventCode::Attached, this, onAttached);
    addHandler(EventCode::Detached, this, onDetached);
}

TabItem::~TabItem()
{
    delete content;
}

void TabItem::onLButtonDown(void* target, Control*, ControlEvent* event)
{
    auto* item = static_cast<TabItem*>(target);
    event->handled = 1;
    if (item->hasFlags(Flag::checked))
        return;
    if (TabControl* tabs = tabControlOf(item))
        tabs->select(item);
}

void TabItem::onAttached(void* target, Control*, ControlEvent*)
{
    auto* item = static_cast<TabItem*>(target);
    if (TabControl* tabs = tabControlOf(item))
        tabs->attachPage(item);
}

void TabItem::onDetached(void* target, Control*, ControlEvent*)
{
    auto* item = static_cast<TabItem*>(target);
    if (TabControl* tabs = tabControlOf(item))
        tabs->detachPage(item);
}

ControlKind TabItem::kind() const
{
    ControlKind kind = Button::kind();
    kind.role = AccessRole::pageTab;
    kind.keyAction = KeyAction::select;
    return kind;
}

void TabItem::selectByKey()
{
    if (TabControl* tabs = tabControlOf(this))
        tabs->select(this);
}
