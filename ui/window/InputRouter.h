// Turns a host window's mouse, keyboard and focus messages into control events, and keeps the
// window's capture, focus and hover records.
#pragma once

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
    explicit InputRouter(WindowImpl& window) : window_(window) {}

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
    bool focusCuesShown() const { return focusCues_; }
    // The hovered control followed by its ancestors up to the root.
    const std::vector<Control*>& hoverChain() const { return hoverChain_; }

    // Mouse coordinates of a message: signed, so a drag past the left or top edge is negative.
    static Point pointOf(LPARAM lparam);

private:
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
    void postMouseMove();
    // Asks for leave and hover reports; true when they will come.
    bool armTracking();

    // --- the keys the window itself answers (after the preview, before the control's own) ---

    // Tab and Shift+Tab, Escape, Space and Enter on a button, arrows in a radio group: true when
    // the key was taken.
    bool windowKeyDown(WPARAM key, LPARAM lparam);
    // The release of a Space press: true when taken.
    bool windowKeyUp(WPARAM key);
    // What a click does, by keyboard: Click for a button (posted, as the mouse's), selection for
    // a tab, a press for a link or a label that markup made a stop.
    void activate(Control* control);
    // The control Escape presses: the root's `closeButton` id, while usable.
    Control* closeButton() const;
    void showFocusCues();
    // Ends a Space press without a click.
    void endKeyPress();

    WindowImpl& window_;
    Control* capturedControl_ = nullptr;   // not owned
    Control* focusedControl_ = nullptr;    // not owned
    Control* focusToRestore_ = nullptr;    // not owned; focused while the window was inactive
    Control* hoveredControl_ = nullptr;    // not owned
    std::vector<Control*> hoverChain_;     // not owned; no depth limit
    bool mouseTracking_ = false;
    Control* keyPressed_ = nullptr;        // not owned; held down by Space, clicked on its release
    bool focusCues_ = false;
    WPARAM swallowChar_ = 0;               // the character of a key the window took
};
