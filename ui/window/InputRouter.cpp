// InputRouter: hit testing, hover chains, capture, focus, keys (the window's own in
// KeyboardNavigation), the wheel, cursor queries and tooltips.
#include "InputRouter.h"

#include "WindowImpl.h"

#include <ControlEvent.h>
#include <HeldControl.h>
#include <PropertyKey.h>
#include <Toolkit.h>

#include <windowsx.h>

#include <algorithm>

namespace {

void repaintIfAsked(Control* control)
{
    if (control->hasFlags(Flag::repaintOnInteraction))
        control->invalidate();
}

LPARAM packPoint(Point point)
{
    return MAKELPARAM(WORD(int16_t(point.x)), WORD(int16_t(point.y)));
}

} // namespace

Point InputRouter::pointOf(LPARAM lparam)
{
    return {GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
}

bool InputRouter::send(Control* control, int32_t code, int32_t direction, WPARAM wparam, LPARAM lparam,
                       bool* handled)
{
    std::shared_ptr<bool> alive = window_.alive();
    ControlEvent event;
    event.code = code;
    event.direction = direction;
    event.wparam = wparam;
    event.lparam = lparam;
    control->dispatch(event);
    if (handled)
        *handled = event.handled != 0;
    return *alive;
}

bool InputRouter::attachedHere(Control* control) const
{
    return Control::isAttached(control) && control->window() == &window_;
}

bool InputRouter::usable(Control* control) const
{
    if (!attachedHere(control) || !control->hasFlags(Flag::enabled))
        return false;
    for (Control* c = control; c; c = c->parent()) {
        if (!c->hasFlags(Flag::visible))
            return false;
    }
    return true;
}

Control* InputRouter::hitTest(Point point) const
{
    Control* root = window_.root();
    if (!Control::isAttached(root))
        return nullptr;
    return root->hitTest(point);
}

bool InputRouter::armTracking()
{
    // The platform arms leave and hover tracking only while the cursor is over the window (and
    // answers success anyway): a window still being shown, or one the cursor has already left,
    // is armed by a later move instead.
    POINT cursor{};
    if (!GetCursorPos(&cursor) || WindowFromPoint(cursor) != window_.hwnd)
        return false;
    return window_.trackMouse(true);
}

// --- buttons ---

void InputRouter::buttonDown(UINT message, WPARAM wparam, LPARAM lparam)
{
    bool left = message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK;
    bool doubleClick = message == WM_LBUTTONDBLCLK || message == WM_RBUTTONDBLCLK;
    window_.hideTooltip();
    Control* hit = hitTest(pointOf(lparam));
    if (!hit || !hit->hasFlags(Flag::enabled))
        return;
    if (doubleClick && hit->hasFlags(Flag::doubleClicks)) {
        send(hit, left ? EventCode::LButtonDbClick : EventCode::RButtonDbClick, Direct, wparam, lparam);
        return;
    }
    std::shared_ptr<bool> alive = window_.alive();
    HeldControl target(hit);
    repaintIfAsked(hit);
    bool handled = false;
    if (!send(hit, left ? EventCode::PrevLButtonDown : EventCode::PrevRButtonDown, Preview, wparam, lparam, &handled) ||
        handled)
        return;

    // A handler of the preview, of GotCapture or of GotFocus may have hidden, disabled or taken
    // away the control: from then on it is neither captured nor focused nor pressed.
    Control* control = target.get(&window_);
    if (!control || !usable(control))
        return;
    if (left) {
        if (control->hasFlags(Flag::captureOnPress)) {
            setCapture(control);
            if (!*alive || !(control = target.get(&window_)) || !usable(control))
                return;
        }
        if (control->hasFlags(Flag::focusOnPress))
            setFocus(control);
        else if (control->hasFlags(Flag::pressClearsFocus))
            setFocus(nullptr);
        if (!*alive || !(control = target.get(&window_)) || !usable(control))
            return;
    }
    send(control, left ? EventCode::LButtonDown : EventCode::RButtonDown, Bubbling, wparam, lparam);
}

void InputRouter::buttonUp(UINT message, WPARAM wparam, LPARAM lparam)
{
    bool left = message == WM_LBUTTONUP;
    if (left && capturedControl_) {
        std::shared_ptr<bool> alive = window_.alive();
        Control* control = capturedControl_;
        repaintIfAsked(control);
        if (!send(control, EventCode::LButtonUp, Direct, wparam, lparam))
            return;
        releaseCapture();
        if (*alive)
            mouseMove(wparam, lparam);   // the hover follows the release
        return;
    }
    Control* hit = hitTest(pointOf(lparam));
    if (!hit || !hit->hasFlags(Flag::enabled))
        return;
    HeldControl target(hit);
    repaintIfAsked(hit);
    bool handled = false;
    if (!send(hit, left ? EventCode::PrevLButtonUp : EventCode::PrevRButtonUp, Preview, wparam, lparam, &handled) ||
        handled)
        return;
    if (Control* control = target.get(&window_))
        send(control, left ? EventCode::LButtonUp : EventCode::RButtonUp, Bubbling, wparam, lparam);
}

// --- movement, hover and the wheel ---

bool InputRouter::changeHover(Control* hit)
{
    window_.hideTooltip();
    std::vector<Control*> chain;
    for (Control* c = hit; c; c = c->parent())
        chain.push_back(c);
    // the common tail: the ancestors both chains share, counted from the root
    size_t common = 0;
    while (common < chain.size() && common < hoverChain_.size() &&
           chain[chain.size() - 1 - common] == hoverChain_[hoverChain_.size() - 1 - common])
        ++common;
    // the controls that left and entered, each from the one nearest the root inwards
    std::vector<HeldControl> left, entered;
    for (size_t i = hoverChain_.size() - common; i-- > 0;)
        left.emplace_back(hoverChain_[i]);
    for (size_t i = chain.size() - common; i-- > 0;)
        entered.emplace_back(chain[i]);
    hoveredControl_ = hit;
    hoverChain_ = std::move(chain);

    for (const HeldControl& held : left) {
        Control* control = held.get(&window_);
        if (!control)
            continue;
        repaintIfAsked(control);
        control->setRoutingState(Flag::hovered, false);
        if (!send(control, EventCode::MouseLeave, Direct, 0, 0))
            return false;
    }
    for (const HeldControl& held : entered) {
        Control* control = held.get(&window_);
        // a handler may have moved the hover on already
        if (!control || std::find(hoverChain_.begin(), hoverChain_.end(), control) == hoverChain_.end())
            continue;
        repaintIfAsked(control);
        control->setRoutingState(Flag::hovered, true);
        if (!send(control, EventCode::MouseEnter, Direct, 0, 0))
            return false;
    }
    return true;
}

void InputRouter::mouseMove(WPARAM wparam, LPARAM lparam)
{
    if (!mouseTracking_)
        mouseTracking_ = armTracking();
    Control* hit = hitTest(pointOf(lparam));
    HeldControl target(hit);
    if (hit != hoveredControl_ && !changeHover(hit))
        return;
    if (capturedControl_) {
        send(capturedControl_, EventCode::MouseMove, Direct, wparam, lparam);
        return;
    }
    Control* control = target.get(&window_);
    if (control && control->hasFlags(Flag::enabled))
        send(control, EventCode::MouseMove, Bubbling, wparam, lparam);
}

void InputRouter::mouseLeave()
{
    window_.hideTooltip();
    mouseTracking_ = false;
    std::vector<HeldControl> chain(hoverChain_.begin(), hoverChain_.end());   // the hovered control first
    hoveredControl_ = nullptr;
    hoverChain_.clear();
    for (const HeldControl& held : chain) {
        Control* control = held.get(&window_);
        if (!control)
            continue;
        repaintIfAsked(control);
        control->setRoutingState(Flag::hovered, false);
        if (!send(control, EventCode::MouseLeave, Direct, 0, 0))
            return;
    }
}

void InputRouter::mouseHover(WPARAM, LPARAM lparam)
{
    // armed again, so that every pause over a control shows its tip
    mouseTracking_ = armTracking();
    if (capturedControl_)
        return;
    Control* hit = hitTest(pointOf(lparam));
    const std::wstring* text = hit ? hit->textProperties.get(PropertyKey::tooltip) : nullptr;
    if (text && !text->empty())
        window_.showTooltip(*text);
}

void InputRouter::windowShown(bool shown)
{
    if (shown) {
        // the hover under a cursor already inside, at once; and once the window is visible,
        // again, so that leaving it is tracked
        window_.sendMouseMove();
        window_.postMouseMove();
    } else {
        SendMessageW(window_.hwnd, WM_MOUSELEAVE, 0, 0);
    }
}

void InputRouter::mouseWheel(WPARAM wparam, LPARAM lparam)
{
    Control* hit = hitTest(window_.cursorPosition());
    if (hit && hit->hasFlags(Flag::enabled))
        send(hit, EventCode::MouseWheel, Bubbling, wparam, lparam);
}

bool InputRouter::queryCursor()
{
    Control* hit = hitTest(window_.cursorPosition());
    if (!hit)
        return false;
    bool handled = false;
    // a window gone meanwhile has nobody left to set a cursor for
    return !send(hit, EventCode::QueryCursor, Direct, 0, 0, &handled) || handled;
}

// --- keys and focus ---

void InputRouter::key(UINT message, WPARAM wparam, LPARAM lparam)
{
    // The character of a key the window took (Tab, Enter, Escape, Space) is nobody's text.
    if (keys_.swallow(message, wparam))
        return;

    // The focused control hears keys first in preview, so that a script can claim even Tab; then
    // the window takes its own keys; the rest go to the control. Without a focused control only
    // the window's keys do anything.
    Control* control = focusedControl_;
    int32_t preview = EventCode::PrevKeyDown, proper = EventCode::KeyDown;
    if (message == WM_KEYUP) {
        preview = EventCode::PrevKeyUp;
        proper = EventCode::KeyUp;
    } else if (message == WM_CHAR) {
        preview = EventCode::PrevKeyPress;
        proper = EventCode::KeyPress;
    }
    HeldControl target(control);
    if (control) {
        bool handled = false;
        if (!send(control, preview, Preview, wparam, lparam, &handled) || handled)
            return;
        control = target.get(&window_);
    }
    if (message == WM_KEYDOWN && keys_.keyDown(wparam, lparam))
        return;
    if (message == WM_KEYUP && keys_.keyUp(wparam))
        return;
    if (control)
        send(control, proper, Bubbling, wparam, lparam);
}

void InputRouter::pressAt(Control* control, Point client)
{
    const LPARAM at = packPoint(client);
    HeldControl target(control);
    bool handled = false;
    if (!send(control, EventCode::PrevLButtonDown, Preview, MK_LBUTTON, at, &handled) || handled)
        return;
    if (Control* still = target.get(&window_))
        send(still, EventCode::LButtonDown, Bubbling, MK_LBUTTON, at);
}

void InputRouter::setFocus(Control* control)
{
    if (control == focusedControl_)
        return;
    if (control && !attachedHere(control))
        return;   // only a control of this window can hold its focus
    std::shared_ptr<bool> alive = window_.alive();
    HeldControl target(control);
    keys_.endKeyPress();
    if (focusToRestore_) {
        // a parked focus that is not given back loses its mark
        if (focusToRestore_ != control)
            focusToRestore_->setRoutingState(Flag::focused, false);
        focusToRestore_ = nullptr;
    }
    if (Control* previous = focusedControl_) {
        focusedControl_ = nullptr;
        previous->setRoutingState(Flag::focused, false);
        if (previous->hasFlags(Flag::focusCue)) {
            previous->setRoutingState(Flag::focusCue, false);
            previous->invalidate();
        }
        if (!send(previous, EventCode::LostFocus, Direct, 0, 0))
            return;
    }
    // a LostFocus handler may have taken the control away or focused another one itself
    if (!control || !(control = target.get(&window_)) || focusedControl_)
        return;
    focusedControl_ = control;
    if (GetFocus() != window_.hwnd) {
        SetFocus(window_.hwnd);
        if (!*alive || focusedControl_ != control)
            return;
    }
    if (keys_.focusCuesShown()) {
        control->setRoutingState(Flag::focusCue, true);
        control->invalidate();
    }
    control->setRoutingState(Flag::focused, true);
    window_.controlChanged(control, ControlChange::focus);
    send(control, EventCode::GotFocus, Direct, 0, 0);
}

void InputRouter::focusLost()
{
    Control* control = focusedControl_;
    if (!control)
        return;
    // parked with its mark until the window is activated again; no cue meanwhile
    keys_.endKeyPress();
    focusedControl_ = nullptr;
    if (control->hasFlags(Flag::focusCue)) {
        control->setRoutingState(Flag::focusCue, false);
        control->invalidate();
    }
    if (focusToRestore_ && focusToRestore_ != control)
        focusToRestore_->setRoutingState(Flag::focused, false);
    focusToRestore_ = control;
    send(control, EventCode::LostFocus, Direct, 0, 0);
}

void InputRouter::activated(WPARAM wparam)
{
    // activation by a click leaves the focus to the click
    if (wparam == WA_ACTIVE && focusToRestore_)
        setFocus(focusToRestore_);
}

// --- capture ---

void InputRouter::setCapture(Control* control)
{
    if (!attachedHere(control))
        return;
    if (control == capturedControl_) {
        if (GetCapture() != window_.hwnd)
            SetCapture(window_.hwnd);
        return;
    }
    std::shared_ptr<bool> alive = window_.alive();
    HeldControl target(control);
    // taken from another control: that one hears LostCapture once, here, and the native capture
    // stays with the window
    if (Control* previous = capturedControl_) {
        capturedControl_ = nullptr;
        previous->setRoutingState(Flag::captured, false);
        repaintIfAsked(previous);
        if (!send(previous, EventCode::LostCapture, Direct, 0, 0))
            return;
    }
    SetCapture(window_.hwnd);
    if (!*alive || !(control = target.get(&window_)) || capturedControl_)
        return;
    capturedControl_ = control;
    control->setRoutingState(Flag::captured, true);
    repaintIfAsked(control);
    send(control, EventCode::GotCapture, Direct, 0, 0);
}

void InputRouter::releaseCapture()
{
    std::shared_ptr<bool> alive = window_.alive();
    // the platform answers with WM_CAPTURECHANGED, which does the work when the window held the
    // capture; without it the record is cleared here
    ReleaseCapture();
    if (*alive && capturedControl_)
        captureLost();
}

void InputRouter::captureLost()
{
    // The platform may end leave and hover tracking with the capture without a word: the next
    // move arms it again.
    mouseTracking_ = false;
    Control* control = capturedControl_;
    if (!control)
        return;
    capturedControl_ = nullptr;
    control->invalidate();
    control->setRoutingState(Flag::captured, false);
    send(control, EventCode::LostCapture, Direct, 0, 0);
}

// --- a control leaving the interaction ---

void InputRouter::forgetControl(Control* control)
{
    if (!control)
        return;
    auto within = [control](Control* c) {
        for (; c; c = c->parent()) {
            if (c == control)
                return true;
        }
        return false;
    };
    std::shared_ptr<bool> alive = window_.alive();
    if (capturedControl_ && within(capturedControl_)) {
        releaseCapture();
        if (!*alive)
            return;
    }
    if (focusedControl_ && within(focusedControl_)) {
        setFocus(nullptr);
        if (!*alive)
            return;
    }
    keys_.forget(control);
    if (focusToRestore_ && within(focusToRestore_)) {
        focusToRestore_->setRoutingState(Flag::focused, false);
        focusToRestore_ = nullptr;
    }

    auto at = std::find(hoverChain_.begin(), hoverChain_.end(), control);
    if (at == hoverChain_.end())
        return;
    // the hover moves to the control's parent: the control and the hovered ones inside it leave,
    // the control first
    window_.hideTooltip();
    size_t index = size_t(at - hoverChain_.begin());
    std::vector<HeldControl> left;
    for (size_t i = index + 1; i-- > 0;)
        left.emplace_back(hoverChain_[i]);
    hoverChain_.erase(hoverChain_.begin(), hoverChain_.begin() + std::ptrdiff_t(index + 1));
    hoveredControl_ = nullptr;
    for (const HeldControl& held : left) {
        Control* c = held.get(&window_);
        if (!c)
            continue;
        repaintIfAsked(c);
        c->setRoutingState(Flag::hovered, false);
        if (!send(c, EventCode::MouseLeave, Direct, 0, 0))
            return;
    }
    // the next move finds what is under the cursor now
    window_.postMouseMove();
}
