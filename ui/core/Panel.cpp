// Panel: the child list, clipped child painting and hit testing from the top of the z-order.
#include "Panel.h"

#include "ClipScope.h"
#include "HeldControl.h"
#include "PropertyKey.h"

Panel::Panel() : Panel(kInitialFlags) {}

Panel::Panel(uint64_t initialFlags) : Control(initialFlags) {}

Panel::~Panel()
{
    while (Control* child = lastChild_) {
        lastChild_ = child->previousSibling_;
        if (lastChild_)
            lastChild_->nextSibling_ = nullptr;
        else
            firstChild_ = nullptr;
        child->parent_ = nullptr;
        child->previousSibling_ = nullptr;
        --childCount_;
        ++childListChanges_;
        delete child;
    }
}

bool Panel::addChild(Control* control)
{
    if (!control || control->parent_)
        return false;
    // a panel inside itself would make the tree a loop
    for (const Control* c = this; c; c = c->parent_) {
        if (c == control)
            return false;
    }
    control->previousSibling_ = lastChild_;
    control->nextSibling_ = nullptr;
    if (lastChild_)
        lastChild_->nextSibling_ = control;
    else
        firstChild_ = control;
    lastChild_ = control;
    control->parent_ = this;
    ++childCount_;
    ++childListChanges_;
    if (window() && isAttached(this))
        attach(control);
    return true;
}

bool Panel::removeChild(Control* control)
{
    if (!control || control->parent_ != this)
        return false;
    if (window()) {
        // A Detached handler may move the control elsewhere, or delete it (it then unlinks
        // itself): only a child still in our list, and the same instance, is taken out.
        const HeldControl held(control);
        detach(control);
        for (Control* child = firstChild_; child; child = child->nextSibling_) {
            if (held.is(child)) {
                unlinkChild(child);
                break;
            }
        }
        return true;
    }
    unlinkChild(control);
    return true;
}

void Panel::unlinkChild(Control* control)
{
    if (!control->previousSibling_ && firstChild_ != control) {
        control->parent_ = nullptr;   // linked without being listed
        return;
    }
    if (control->previousSibling_)
        control->previousSibling_->nextSibling_ = control->nextSibling_;
    else
        firstChild_ = control->nextSibling_;
    if (control->nextSibling_)
        control->nextSibling_->previousSibling_ = control->previousSibling_;
    else
        lastChild_ = control->previousSibling_;
    control->parent_ = nullptr;
    control->previousSibling_ = nullptr;
    control->nextSibling_ = nullptr;
    --childCount_;
    ++childListChanges_;
}

bool Panel::linkUnlisted(Control* control)
{
    if (!control || control->parent_)
        return false;
    control->parent_ = this;
    control->previousSibling_ = nullptr;
    control->nextSibling_ = nullptr;
    return true;
}

void Panel::unlinkUnlisted(Control* control)
{
    if (control && control->parent_ == this && !control->previousSibling_ && firstChild_ != control)
        control->parent_ = nullptr;
}

Control* Panel::childAt(int32_t index) const
{
    // following the list "index times": a negative index follows it no times at all
    Control* child = firstChild_;
    for (; child && index > 0; --index)
        child = child->nextSibling_;
    return child;
}

void Panel::paint(DeviceContext dc, const Rect& windowRect, const Rect& clip)
{
    Control::paint(dc, windowRect, clip);
    for (Control* child = firstChild_; child; child = child->nextSibling_) {
        if (!child->hasFlags(Flag::visible) || child->hasFlags(Flag::collapsed))
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
    for (Control* child = lastChild_; child; child = child->previousSibling_) {
        if (Control* hit = child->hitTest(local))
            return hit;
    }
    return this;
}

ControlKind Panel::kind() const
{
    ControlKind kind;
    const bool page = intProperties.has(PropertyKey::id);
    kind.role = page ? AccessRole::page : AccessRole::grouping;
    kind.shown = page ? AccessShown::byRole : AccessShown::never;
    return kind;
}

const wchar_t* Panel::className() const
{
    return L"Panel";
}
