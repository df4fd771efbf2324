// KeyboardNavigation: Tab and Shift+Tab, Escape, Space and Enter, arrows in a radio group.
#include "KeyboardNavigation.h"

#include "InputRouter.h"
#include "TabOrder.h"
#include "WindowImpl.h"

#include <ControlEvent.h>
#include <HeldControl.h>
#include <KeyboardKeys.h>
#include <Toolkit.h>

bool KeyboardNavigation::swallow(UINT message, WPARAM wparam)
{
    if (message == WM_CHAR) {
        const WPARAM swallowed = swallowChar_;
        swallowChar_ = 0;
        return swallowed && wparam == swallowed;
    }
    if (message == WM_KEYDOWN)
        swallowChar_ = 0;
    return false;
}

Control* KeyboardNavigation::moveFocus(Control* to)
{
    // focus handlers may destroy the window: nothing of it is touched once it is gone
    std::shared_ptr<bool> alive = window_.alive();
    HeldControl held(to);
    router_.setFocus(to);
    if (!*alive)
        return nullptr;
    Control* now = held.get(&window_);
    return now && now == router_.focused() ? now : nullptr;
}

KeyAction KeyboardNavigation::actionOf(const Control* control) const
{
    if (!TabOrder::isStopKind(control) && control->intProperties.has(KeyboardKey::tabIndex))
        return KeyAction::press;
    return control->kind().keyAction;
}

bool KeyboardNavigation::keyDown(WPARAM key, LPARAM lparam)
{
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    const bool ctrlOrAlt = GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0;
    const bool repeat = (lparam & (1 << 30)) != 0;
    Control* focused = router_.focused();
    switch (key) {
    case VK_TAB: {
        if (ctrlOrAlt)
            return false;
        swallowChar_ = L'\t';
        showFocusCues();
        Control* to = TabOrder::next(window_.root(), focused, shift);
        if (!to || to == focused)
            return true;
        if (Control* now = moveFocus(to))
            now->reachedByTab();
        return true;
    }
    case VK_ESCAPE: {
        Control* close = closeButton();
        if (!close)
            return false;
        swallowChar_ = 27;
        if (!repeat)
            activate(close);
        return true;
    }
    case VK_RETURN:
    case VK_SPACE: {
        if (!focused || ctrlOrAlt || !router_.usable(focused))
            return false;
        const KeyAction action = actionOf(focused);
        // Enter acts at once on buttons, tabs and links (and whatever markup made a stop, as a
        // label a script reacts to); Space is a button's key and, as on the platform, presses on
        // the way down and clicks on the way up; a tab it selects at once.
        if (key == VK_RETURN) {
            if (action == KeyAction::none)
                return false;
            swallowChar_ = L'\r';
            if (!repeat)
                activate(focused);
            return true;
        }
        if (action != KeyAction::click && action != KeyAction::select)
            return false;
        swallowChar_ = L' ';
        if (action == KeyAction::select) {
            if (!repeat)
                activate(focused);
            return true;
        }
        if (keyPressed_ != focused) {
            endKeyPress();
            keyPressed_ = focused;
            focused->setRoutingState(Flag::keyPressed, true);
            focused->invalidate();
        }
        return true;
    }
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN: {
        // arrows move within a radio group and choose as they go
        Control* to = focused && !ctrlOrAlt ? TabOrder::nextInGroup(focused, key == VK_LEFT || key == VK_UP) : nullptr;
        if (!to)
            return false;
        showFocusCues();
        if (Control* now = moveFocus(to))
            activate(now);
        return true;
    }
    default:
        return false;
    }
}

bool KeyboardNavigation::keyUp(WPARAM key)
{
    if (key != VK_SPACE || !keyPressed_)
        return false;
    Control* control = keyPressed_;
    endKeyPress();
    if (control == router_.focused() && router_.usable(control))
        activate(control);
    return true;
}

void KeyboardNavigation::activate(Control* control)
{
    switch (actionOf(control)) {
    case KeyAction::select:
        control->selectByKey();
        return;
    case KeyAction::click:
        // posted, like the mouse's, so that scripts see the same Click at the same moment
        control->post(EventCode::Click);
        return;
    case KeyAction::press:
    case KeyAction::none:
        break;
    }
    // a link (or a label a script listens to) reacts to a press: the press the mouse would give
    // at its centre
    Rect area;
    if (!control->absoluteRect(area))
        return;
    router_.pressAt(control, {(area.left + area.right) / 2, (area.top + area.bottom) / 2});
}

Control* KeyboardNavigation::closeButton() const
{
    Control* root = window_.root();
    const int32_t* id = root ? root->intProperties.get(KeyboardKey::closeButton) : nullptr;
    Control* control = id ? window_.findById(*id) : nullptr;
    return control && router_.usable(control) ? control : nullptr;
}

void KeyboardNavigation::showFocusCues()
{
    if (focusCues_)
        return;
    focusCues_ = true;
    if (Control* control = router_.focused()) {
        control->setRoutingState(Flag::focusCue, true);
        control->invalidate();
    }
}

void KeyboardNavigation::endKeyPress()
{
    Control* control = keyPressed_;
    keyPressed_ = nullptr;
    if (control && Control::isAttached(control) && control->window() == &window_) {
        control->setRoutingState(Flag::keyPressed, false);
        control->invalidate();
    }
}

void KeyboardNavigation::forget(Control* control)
{
    for (Control* c = keyPressed_; c; c = c->parent()) {
        if (c == control) {
            endKeyPress();
            return;
        }
    }
}
