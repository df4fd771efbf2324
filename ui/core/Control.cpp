// Control: tree attachment, state setters, invalidation, coordinates, handlers and dispatch.
#include "Control.h"

#include "ControlHost.h"
#include "GatheredDelegates.h"
#include "Panel.h"
#include "ScriptHooks.h"
#include "Style.h"
#include "StyleLookup.h"
#include "Toolkit.h"

#include <algorithm>
#include <cassert>
#include <unordered_set>

namespace {

// Every control attached to a window. Membership is what makes a control reachable by events,
// invalidation and coordinates, so a stale pointer can never be followed.
std::unordered_set<const Control*>& attachedControls()
{
    static std::unordered_set<const Control*> set;
    return set;
}

uint64_t nextSerial = 1;

// The children of a container that really has a child list (scripts can set any flag bit).
Panel* containerOf(Control* control)
{
    if (!control->hasFlags(Flag::container))
        return nullptr;
    return dynamic_cast<Panel*>(control);
}

} // namespace

Control::Control() : Control(kInitialFlags) {}

Control::Control(uint64_t initialFlags) : flags_(initialFlags), serial_(nextSerial++) {}

Control::~Control()
{
    // A delivery in progress may still hold references to our delegates: disarmed, they do nothing.
    for (auto& entry : handlers) {
        for (Delegate& delegate : entry.second)
            delegate.disarm();
    }
    if (flags_ & Flag::scriptObject) {
        if (const ScriptHooks* hooks = scriptHooks(); hooks && hooks->controlDestroyed)
            hooks->controlDestroyed(this);
    }
    // Whoever deletes a control should detach it first. If not (a panel deleted with its tree
    // attached, a handler deleting its own control), the window must still drop every pointer it
    // keeps to us, so that nothing can reach freed memory later.
    if (isAttached(this) && window_) {
        window_->forgetControl(this);
        window_->forgetId(this);
    }
    attachedControls().erase(this);
    // Deleted while still in a child list (a panel going away unlinks its children first): the
    // parent must not keep the address.
    if (parent_)
        static_cast<Panel*>(parent_)->unlinkChild(this);
}

void Control::paint(DeviceContext dc, const Rect& windowRect, const Rect& clip)
{
    const std::wstring* name = textProperties.get(PropertyKey::style);
    Toolkit* toolkit = Toolkit::instance();
    if (!name || !toolkit || !toolkit->styleRegistry)
        return;
    if (Style* style = toolkit->styleRegistry->style(*name))
        style->draw(dc, windowRect, this);
}

Control* Control::hitTest(Point point)
{
    if ((flags_ & Flag::visible) && !(flags_ & Flag::mouseTransparent) && rect.contains(point))
        return this;
    return nullptr;
}

const wchar_t* Control::className() const
{
    return L"Control";
}

ControlKind Control::kind() const
{
    return {};
}

bool Control::accessibleValue(std::wstring&) const
{
    return false;
}

Control* Control::unlistedPage() const
{
    return nullptr;
}

void Control::selectByKey() {}

void Control::reachedByTab() {}

Size Control::measureOverride(Size)
{
    return {0, 0};
}

Size Control::arrangeOverride(Size finalSize)
{
    return finalSize;
}

void Control::attach(Control* control)
{
    attachedControls().insert(control);
    control->window_ = window_;
    if (const int32_t* id = control->intProperties.get(PropertyKey::id)) {
        if (window_)
            window_->idMap[*id] = control;
    }
    control->send(EventCode::Attached);

    // parents before children. An Attached handler may take the control away again (even delete
    // it: membership is checked before anything else is read), or add and remove children. A
    // child added meanwhile to an attached panel was attached by addChild already, so it is
    // passed over here rather than attached twice; after any change to the list the walk starts
    // again from the first child instead of following links of a child that may be gone.
    if (!isAttached(control))
        return;
    Panel* panel = containerOf(control);
    if (!panel)
        return;
    for (Control* child = panel->firstChild(); child;) {
        if (isAttached(child)) {
            child = child->nextSibling_;
            continue;
        }
        uint32_t changes = panel->childListChanges();
        panel->attach(child);
        if (!isAttached(panel))
            return;
        child = panel->childListChanges() == changes ? child->nextSibling_ : panel->firstChild();
    }
}

void Control::detach(Control* control)
{
    if (!isAttached(control))
        return;
    // children before their parent; a Detached handler may remove (or add) children, so after a
    // change to the list the walk starts again and finds whoever is still attached
    if (Panel* panel = containerOf(control)) {
        for (Control* child = panel->firstChild(); child;) {
            if (!isAttached(child)) {
                child = child->nextSibling_;
                continue;
            }
            uint32_t changes = panel->childListChanges();
            panel->detach(child);
            child = panel->childListChanges() == changes ? child->nextSibling_ : panel->firstChild();
        }
        if (!isAttached(control))
            return;   // a child's handler has detached this panel already
    }
    control->send(EventCode::Detached);
    if (control->window_)
        control->window_->forgetControl(control);
    control->window_ = nullptr;
    attachedControls().erase(control);
}

void Control::attachRoot(ControlHost* host)
{
    assert(!parent_ && "only a control without a parent can be a window's root");
    window_ = host;
    attach(this);
}

void Control::detachRoot()
{
    detach(this);
}

bool Control::isAttached(const Control* control)
{
    return control && attachedControls().count(control) != 0;
}

void Control::setFlag(uint64_t mask, bool on)
{
    if (on)
        flags_ |= mask;
    else
        flags_ &= ~mask;
}

bool Control::writeFlags(uint64_t mask, bool on)
{
    if (mask & kManagedFlags)
        return false;
    setFlag(mask, on);
    return true;
}

void Control::setRoutingState(uint64_t state, bool on)
{
    assert((state & ~kRoutingStates) == 0 && "only routing states");
    setFlag(state & kRoutingStates, on);
}

void Control::send(int32_t code, uint64_t wparam, int64_t lparam)
{
    ControlEvent event;
    event.code = code;
    event.direction = Direct;
    event.wparam = wparam;
    event.lparam = lparam;
    dispatch(event);
}

bool Control::post(int32_t code)
{
    ControlEvent event;
    event.code = code;
    event.direction = Direct;
    return postEvent(this, event);
}

void Control::announce(ControlChange change)
{
    if (window_ && isAttached(this))
        window_->controlChanged(this, change);
}

void Control::setEnabled(bool enabled)
{
    if (hasFlags(Flag::enabled) == enabled)
        return;
    setFlag(Flag::enabled, enabled);
    if (!enabled && window_)
        window_->forgetControl(this);
    announce(ControlChange::state);
    invalidate(false);
}

void Control::setVisible(bool visible)
{
    if (hasFlags(Flag::visible) == visible)
        return;
    setFlag(Flag::visible, visible);
    if (!visible && window_)
        window_->forgetControl(this);
    announce(visible ? ControlChange::shown : ControlChange::hidden);
    invalidate(false);
}

void Control::setChecked(bool checked)
{
    if (hasFlags(Flag::checked) == checked)
        return;
    setFlag(Flag::checked, checked);
    announce(ControlChange::state);
    // The repaint is requested before ValueChange goes out: a handler may delete this control,
    // after which nothing here may touch it.
    invalidate(false);
    send(EventCode::ValueChange);
}

void Control::setTextProperty(const std::wstring& text)
{
    textProperties.set(PropertyKey::text, text);
    announce(ControlChange::name);
    invalidate();
}

void Control::check()
{
    if (!hasFlags(Flag::checked))
        setChecked(true);
}

void Control::toggleChecked()
{
    setChecked(!hasFlags(Flag::checked));
}

bool Control::invalidate(bool wait)
{
    Rect absolute;
    if (!absoluteRect(absolute) || !window_)
        return false;
    Rect visible = intersect(absolute, window_->clientRect());
    if (visible.isEmpty())
        return false;
    window_->invalidateRect(visible);
    return window_->requestRepaint(wait);
}

bool Control::absolutePosition(Point& out) const
{
    if (!isAttached(this))
        return false;
    Point sum;
    // the root's own rect is not counted: a root always sits at the window's origin
    for (const Control* c = this; c->parent_; c = c->parent_) {
        sum.x += c->rect.left;
        sum.y += c->rect.top;
    }
    out = sum;
    return true;
}

bool Control::absoluteRect(Rect& out) const
{
    Point origin;
    if (!absolutePosition(origin))
        return false;
    out = {origin.x, origin.y, origin.x + rect.width(), origin.y + rect.height()};
    return true;
}

bool Control::toLocal(Point clientPoint, Point& out) const
{
    Point origin;
    if (!absolutePosition(origin))
        return false;
    out = {clientPoint.x - origin.x, clientPoint.y - origin.y};
    return true;
}

bool Control::localCursorPosition(Point& out) const
{
    if (!isAttached(this) || !window_)
        return false;
    return toLocal(window_->cursorPosition(), out);
}

bool Control::addHandler(int32_t code, void* target, HandlerFunction function)
{
    Delegate delegate = Delegate::create(target, function);
    if (!delegate)
        return false;
    handlers[code].push_back(std::move(delegate));
    return true;
}

void Control::removeHandler(int32_t code, void* target, HandlerFunction function)
{
    removeFirstHandler(handlers, code, target, function);
}

void Control::dispatch(ControlEvent& event)
{
    if (!isAttached(this))
        return;

    // gather: every delegate this delivery will call, before the first call, so that handlers
    // added meanwhile wait for the next delivery and removed ones are skipped (disarmed)
    GatheredDelegates gathered;
    bool preview = event.direction == Preview;
    bool walkUp = preview || event.direction == Bubbling;
    for (Control* c = this; c; c = walkUp ? c->parent_ : nullptr) {
        auto entry = c->handlers.find(event.code);
        if (entry == c->handlers.end())
            continue;
        const std::vector<Delegate>& list = entry->second;
        if (preview) {
            for (size_t i = list.size(); i-- > 0;)
                gathered.push(list[i]);
        } else {
            for (const Delegate& delegate : list)
                gathered.push(delegate);
        }
    }

    // call: a preview runs the gathered list backwards, i.e. root first; stop once handled
    gathered.callAll(this, event, preview);
}

Size Control::measure(Size available)
{
    if (!isAttached(this))
        return {0, 0};

    Size result;
    Rect margin = rectProperties.value(PropertyKey::margin, Rect{});
    int32_t innerWidth = available.width - margin.left - margin.right;
    int32_t innerHeight = available.height - margin.top - margin.bottom;
    // collapsed or no room: wants nothing
    if (!(flags_ & Flag::collapsed) && innerWidth > 0 && innerHeight > 0) {
        // fixed sizes replace what the content asks for; -1 counts as absent
        int32_t width = intProperties.value(PropertyKey::width, -1);
        int32_t height = intProperties.value(PropertyKey::height, -1);
        Size inner = measureOverride({width != -1 ? width : innerWidth, height != -1 ? height : innerHeight});
        result.width = margin.left + margin.right + (width != -1 ? width : inner.width);
        result.height = margin.top + margin.bottom + (height != -1 ? height : inner.height);
    }
    desiredSize = result;
    return result;
}

void Control::arrange(const Rect& slot)
{
    if (!isAttached(this)) {
        rect = {};
        return;
    }
    Rect margin = rectProperties.value(PropertyKey::margin, Rect{});
    int32_t roomWidth = slot.right - slot.left - margin.left - margin.right;
    int32_t roomHeight = slot.bottom - slot.top - margin.top - margin.bottom;
    if (roomWidth <= 0 || roomHeight <= 0) {
        rect = {};
        return;
    }

    // size: at least what was asked for; a non-stretched alignment takes exactly that; fixed
    // sizes win over both
    int32_t desiredWidth = desiredSize.width - margin.left - margin.right;
    int32_t desiredHeight = desiredSize.height - margin.top - margin.bottom;
    Size size{std::max(roomWidth, desiredWidth), std::max(roomHeight, desiredHeight)};
    int32_t stretch = keywordValue(PropertyKey::stretch);
    int32_t vertical = intProperties.value(PropertyKey::verticalAlign, stretch);
    int32_t horizontal = intProperties.value(PropertyKey::horizontalAlign, stretch);
    if (vertical != stretch)
        size.height = desiredHeight;
    if (horizontal != stretch)
        size.width = desiredWidth;
    int32_t width = intProperties.value(PropertyKey::width, -1);
    int32_t height = intProperties.value(PropertyKey::height, -1);
    if (width != -1)
        size.width = width;
    if (height != -1)
        size.height = height;

    Size used = arrangeOverride(size);
    if (used.width <= 0 || used.height <= 0) {
        rect = {};
        return;
    }

    // place: inside the slot less the margins; an oversized control starts at the near edge and
    // overflows the far one
    int32_t left = slot.left + margin.left, top = slot.top + margin.top;
    int32_t right = slot.right - margin.right, bottom = slot.bottom - margin.bottom;
    int32_t x = left, y = top;
    if (horizontal == keywordValue(PropertyKey::center) || horizontal == stretch)
        x = (left + right - used.width) / 2;
    else if (horizontal == keywordValue(PropertyKey::right))
        x = right - used.width;
    if (vertical == keywordValue(PropertyKey::center) || vertical == stretch)
        y = (top + bottom - used.height) / 2;
    else if (vertical == keywordValue(PropertyKey::bottom))
        y = bottom - used.height;
    x = std::max(x, left);
    y = std::max(y, top);
    rect = {x, y, x + used.width, y + used.height};
}
