// What a control tree needs from the window hosting it; the host window implements it.
#pragma once

#include "Geometry.h"
#include "NativeTypes.h"

#include <cstdint>
#include <map>
#include <string>

class Control;

// What changed about a control, for assistive technology watching the window.
enum class ControlChange { focus, state, value, name, shown, hidden };

class ControlHost {
public:
    virtual ~ControlHost() = default;

    // The client area, origin at (0, 0).
    virtual Rect clientRect() const = 0;
    // Marks a client rectangle for repainting.
    virtual void invalidateRect(const Rect& rect) = 0;
    // Delivers the repaint request (message 0x401): sent and waited for when `wait` is set,
    // posted otherwise. Returns what the delivery returned.
    virtual bool requestRepaint(bool wait) = 0;
    // Drops every non-owning reference the window keeps to the control (focus, capture, hover).
    virtual void forgetControl(Control* control) = 0;
    // The cursor in client coordinates.
    virtual Point cursorPosition() const = 0;
    // Queues a mouse move at the cursor, so that hover states follow content that moved under a
    // still pointer (a wheel step).
    virtual void postMouseMove() {}
    // Gives the keyboard focus to the control (a control of this window, or null).
    virtual void setFocus(Control* control) {}
    virtual Control* focusedControl() const { return nullptr; }
    // Routes the mouse to the control until releaseCapture (a control of this window).
    virtual void setCapture(Control* control) {}
    virtual void releaseCapture() {}
    virtual Control* capturedControl() const { return nullptr; }
    // The text caret of the focused text control, in client coordinates.
    virtual void setCaretSize(int32_t width, int32_t height) {}
    virtual void showCaret(int32_t x, int32_t y) {}
    virtual void hideCaret() {}
    // The native window, for the platform services that need one (the clipboard); null when
    // there is none.
    virtual WindowHandle nativeWindow() const { return nullptr; }
    // Device pixels per logical pixel of the window (1 at 96 DPI).
    virtual double scale() const { return 1.0; }
    // A tooltip at the cursor, and its end.
    virtual void showTooltip(const std::wstring& text) {}
    virtual void hideTooltip() {}
    // Told after a control took the focus or changed its state (enabled, checked, visible), its
    // value or its caption.
    virtual void controlChanged(Control* control, ControlChange change) {}

    // Controls with an `id` property, recorded when attached; the one attached last wins. A
    // detached control keeps its entry (it may come back), a destroyed one loses it. Not owned.
    std::map<int32_t, Control*> idMap;

    // The control recorded under the id while it is attached, else null.
    Control* findById(int32_t id) const;
    // Drops every entry that names the control; called when it is destroyed.
    void forgetId(const Control* control);
};
