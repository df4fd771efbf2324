// The keys a host window answers itself: Tab, Escape, Space and Enter, the arrows in a radio group.
#pragma once

#include <Control.h>

#include <windows.h>

class InputRouter;
class WindowImpl;

// Owned by the window's InputRouter, which gives it each key after the focused control's preview
// and before the control's own event. What each control does with a key is its kind's (its
// ControlKind: a Tab stop, a radio group, a key action); the order of the stops is TabOrder's.
// Every pointer here is non-owning and is dropped by forget.
class KeyboardNavigation {
public:
    KeyboardNavigation(InputRouter& router, WindowImpl& window) : router_(router), window_(window) {}

    // A key going down: true when the window took it (then its character reaches nobody).
    bool keyDown(WPARAM key, LPARAM lparam);
    // A key going up: true when it ended a Space press.
    bool keyUp(WPARAM key);
    // Whether a WM_CHAR (or the WM_KEYDOWN before it) is the character of a key the window took:
    // true when that character is to be dropped.
    bool swallow(UINT message, WPARAM wparam);

    // Whether the focused control shows its focus cue: off until the keyboard first moves the
    // focus in this window, then on for good (mouse users see nothing of it).
    bool focusCuesShown() const { return focusCues_; }
    // Ends a Space press without a click.
    void endKeyPress();
    // Drops the press of `control` or of a control inside it.
    void forget(Control* control);

private:
    // What a click does, by keyboard, as the kind says: Click for a button (posted, as the
    // mouse's), selection for a tab, a press for a link or a control markup made a stop.
    void activate(Control* control);
    // The key action of the focused control: its kind's, or a press for a control that is no stop
    // by kind but markup made one.
    KeyAction actionOf(const Control* control) const;
    // The control Escape presses: the root's `closeButton` id, while usable.
    Control* closeButton() const;
    void showFocusCues();
    // Moves the focus to `to`; the control when it still holds the focus afterwards, else null.
    Control* moveFocus(Control* to);

    InputRouter& router_;
    WindowImpl& window_;
    Control* keyPressed_ = nullptr;   // not owned; held down by Space, clicked on its release
    bool focusCues_ = false;
    WPARAM swallowChar_ = 0;          // the character of a key the window took
};
