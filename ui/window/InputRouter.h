// Turns a host window's mouse, keyboard and focus messages into control events, and keeps the
// window's capture, focus and hover records.
#pragma once

#include "KeyboardNavigation.h"

#include <Control.h>
#include <Geometry.h>

#include <windows.h>

#include <vector>

class WindowImpl;

// Owned by its WindowImpl. Every pointer here is non-owning and is dropped by forgetControl when
// its control is disabled, hidden, detached or destroyed. Handlers may change the tree, delete
// controls or destroy the window while an event is out: each step re-checks what it still holds.
class InputRouter {
public:
    explicit InputRouter(WindowImpl& window) : window_(window), keys_(*this, window) {}

    // --- messages of the host window ---
    void buttonDown(UINT message, WPARAM wparam, LPARAM lparam);   // left and right, double clicks
    void buttonUp(UINT message, WPARAM wparam, LPARAM lparam);
    void mouseMove(WPARAM wparam, LPARAM lparam);
    void mouseWheel(WPARAM wparam, LPARAM lparam);
    void mouseLeave();
    void mouseHover(WPARAM wparam, LPARAM lparam);
    void windowShown(bool shown);
    // True when a control set the cursor itself.
    bool queryCursor();
    void key(UINT message, WPARAM wparam, LPARAM lparam);
    void focusLost();
    void activated(WPARAM wparam);
    void captureLost();

    // --- operations for controls and scripts ---
    void setFocus(Control* control);
    void setCapture(Control* control);
    void releaseCapture();
    void forgetControl(Control* control);

    Control* focused() const { return focusedControl_; }
    Control* captured() const { return capturedControl_; }
    Control* hovered() const { return hoveredControl_; }
    Control* focusToRestore() const { return focusToRestore_; }
    // Whether the focused control shows its focus cue: off until the keyboard first moves the
    // focus in this window, then on for good (mouse users see nothing of it).
    bool focusCuesShown() const { return keys_.focusCuesShown(); }
    // The hovered control followed by its ancestors up to the root.
    const std::vector<Control*>& hoverChain() const { return hoverChain_; }

    // Mouse coordinates of a message: signed, so a drag past the left or top edge is negative.
    static Point pointOf(LPARAM lparam);

private:
    friend class KeyboardNavigation;   // moves the focus, presses, asks what is usable

    // Sends an event; false when the window is gone afterwards (then nothing may be touched).
    bool send(Control* control, int32_t code, int32_t direction, WPARAM wparam, LPARAM lparam,
              bool* handled = nullptr);
    // Still a control of this window that can take the mouse or the focus: attached here,
    // enabled, and visible with every ancestor.
    bool usable(Control* control) const;
    bool attachedHere(Control* control) const;
    Control* hitTest(Point point) const;
    // Moves the hover to `hit` (null: nothing hovered): leave and enter events, outer first.
    bool changeHover(Control* hit);
    // Asks for leave and hover reports; true when they will come.
    bool armTracking();

    // The press the mouse would give at a client point: the preview, then the press itself.
    void pressAt(Control* control, Point client);

    WindowImpl& window_;
    Control* capturedControl_ = nullptr;   // not owned
    Control* focusedControl_ = nullptr;    // not owned
    Control* focusToRestore_ = nullptr;    // not owned; focused while the window was inactive
    Control* hoveredControl_ = nullptr;    // not owned
    std::vector<Control*> hoverChain_;     // not owned; no depth limit
    bool mouseTracking_ = false;
    KeyboardNavigation keys_;
};
