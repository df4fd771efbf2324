// Panel: the child list, clipped child painting and hit testing from the top of the z-order.
#include "Panel.h"

#include "ClipScope.h"

Panel::Panel() : Panel(kInitialFlags) {}

Panel::Panel(uint64_t initialFlags) : Control(initialFlags) {}

Panel::~Panel()
{
    while (Control* child = lastChild) {
        lastChild = child->previousSibling;
        delete child;
    }
    firstChild = nullptr;
    childCount = 0;
}

bool Panel::addChild(Control* control)
{
    if (!control || control->parent)
        return false;
    // a panel inside itself would make the tree a loop
    for (const Control* c = this; c; c = c->parent) {
        if (c == control)
            return false;
    }
    control->previousSibling = lastChild;
    control->nextSibling = nullptr;
    if (lastChild)
        lastChild->nextSibling = control;
    else
        firstChild = control;
    lastChild = control;
    control->parent = this;
    ++childCount;
    ++childListChanges;
    if (window && isAttached(this))
        attach(control);
    return true;
}

bool Panel::removeChild(Control* control)
{
    if (!control || control->parent != this)
        return false;
    if (window)
        detach(control);
    // a Detached handler may already have moved it elsewhere
    if (control->parent != this)
        return true;
    if (control->previousSibling)
        control->previousSibling->nextSibling = control->nextSibling;
    else
        firstChild = control->nextSibling;
    if (control->nextSibling)
        control->nextSibling->previousSibling = control->previousSibling;
    else
        lastChild = control->previousSibling;
    control->parent = nullptr;
    control->previousSibling = nullptr;
    control->nextSibling = nullptr;
    --childCount;
    ++childListChanges;
    return true;
}

Control* Panel::childAt(int32_t index) const
{
    // following the list "index times": a negative index follows it no times at all
    Control* child = firstChild;
    for (; child && index > 0; --index)
        child = child->nextSibling;
    return child;
}

void Panel::paint(DeviceContext dc, const Rect& windowRect, const Rect& clip)
{
    Control::paint(dc, windowRect, clip);
    for (Control* child = firstChild; child; child = child->nextSibling) {
        if (!(child->flags & Flag::visible) || (child->flags & Flag::collapsed))
            continue;
        Rect childRect = child->rect.offset(windowRect.left, windowRect.top);
        Rect visible = intersect(childRect, clip);
        if (visible.isEmpty())
            continue;
        ClipScope scope(dc, visible);
        child->paint(dc, childRect, visible);
    }
}

Control* Panel::hitTest(Point point)
{
    if (!Control::hitTest(point))
        return nullptr;
    Point local{point.x - rect.left, point.y - rect.top};
    for (Control* child = lastChild; child; child = child->previousSibling) {
        if (Control* hit = child->hitTest(local))
            return hit;
    }
    return this;
}

const wchar_t* Panel::className() const
{
    return L"Panel";
}
