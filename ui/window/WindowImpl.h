// The window that hosts a control tree: sizing, painting through a back buffer, caret, tooltip, input.
#pragma once

#include "DirtyRectList.h"
#include "InputRouter.h"
#include "TrackingTooltip.h"
#include "WindowBase.h"

#include <Control.h>
#include <ControlHost.h>
#include <OffscreenSurface.h>
#include <Timer.h>

#include <memory>

// Set its root, then create it: on WM_CREATE it attaches the tree, sizes itself from the root
// (its initSize, else what the root measures against 1024 x 768), takes its rounded region and
// makes its tooltip. Everything paints into the back buffer; the screen receives the dirty part
// (or, layered, the whole surface once per flush). Mouse, keys and focus go through the
// InputRouter it owns. UI thread only.
class WindowImpl : public WindowBase, public ControlHost {
public:
    // Posted to a host window: paint what has been invalidated.
    static constexpr UINT kRepaintRequest = WM_USER + 1;
    // Posted to a host window: run the default action of the control a child id names (lparam).
    static constexpr UINT kAccessibleAction = WM_USER + 0x41;
    static constexpr COLORREF kCaretColor = RGB(90, 90, 90);

    WindowImpl();
    ~WindowImpl() override;

    LRESULT handleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

    // The tree to host; set before the window is created.
    void setRoot(std::unique_ptr<Control> root);
    Control* root() const { return root_.get(); }

    // Sizes the window again as at creation (initSize, else the measured size), keeping its place.
    void updateLayout();
    // Paints the pending rectangles: UpdateWindow, or for a layered window the dirty rectangles
    // into the surface and the surface to the screen.
    void flushPaint();

    // --- ControlHost ---
    Rect clientRect() const override;
    void invalidateRect(const Rect& rect) override;
    bool requestRepaint(bool wait) override;
    void forgetControl(Control* control) override;
    Point cursorPosition() const override;
    // The one synthetic mouse move, to where the cursor is (or is said to be): the hover then
    // follows a change under a cursor that did not move. Posted; sendMouseMove delivers it now.
    void postMouseMove() override;
    void sendMouseMove();
    void setFocus(Control* control) override { input_.setFocus(control); }
    Control* focusedControl() const override { return input_.focused(); }
    void setCapture(Control* control) override { input_.setCapture(control); }
    void releaseCapture() override { input_.releaseCapture(); }
    Control* capturedControl() const override { return input_.captured(); }
    void setCaretSize(int32_t width, int32_t height) override;
    void showCaret(int32_t x, int32_t y) override;
    void hideCaret() override;
    WindowHandle nativeWindow() const override { return hwnd; }
    void showTooltip(const std::wstring& text) override { tooltip_.show(text); }
    void hideTooltip() override { tooltip_.hide(); }
    // Raises the accessibility event for the change (NotifyWinEvent, OBJID_CLIENT, the control's
    // child id).
    void controlChanged(Control* control, ControlChange change) override;

    // Queues the default action of an exposed control; false when it cannot be posted.
    bool postAccessibleAction(Control* control);
    // The default action as the mouse does it: a press and a release at the control's centre
    // through the input routing, so handlers see the events a click brings. False when something
    // else lies on top of that point.
    bool doAccessibleAction(Control* control);

    // The blink period for a platform caret blink time; 0 when the caret does not blink (the
    // platform says INFINITE, or 0).
    static int32_t caretBlinkInterval(UINT platformBlinkTime);

    InputRouter& input() { return input_; }
    const TrackingTooltip& tooltip() const { return tooltip_; }
    const OffscreenSurface& backBuffer() const { return backBuffer_; }
    const DirtyRectList& dirtyRects() const { return dirtyRects_; }
    Rect caretRect() const { return caretRect_; }
    bool caretOn() const { return caretOn_; }

    // Whether the window paints as a layered window; set before creation.
    bool layered = false;
    uint8_t alpha = 255;
    bool perPixelAlpha = true;

protected:
    // The creation steps; false refuses the window (no root).
    bool onCreate();
    void onSize();
    void onDestroy();

private:
    // The cursor position packed as a mouse message carries it.
    LPARAM cursorMessagePoint() const;

    class WindowTimer final : public Timer {
    public:
        explicit WindowTimer(WindowImpl& owner) : owner_(owner) {}
        void tick() override;

    private:
        WindowImpl& owner_;
    };

    // Measures and arranges the root for the window's size and returns that size.
    Size layoutRoot();
    void applyRegion(int32_t width, int32_t height);
    void paintInto(HDC dc, const Rect& clip, bool withCaret);
    void onPaint();
    void onPrintClient(HDC dc, LPARAM flags);
    void placeComposition();
    void repaintCaret();
    LRESULT answerGetObject(WPARAM wparam, LPARAM lparam);

    std::unique_ptr<Control> root_;
    InputRouter input_;
    TrackingTooltip tooltip_;
    OffscreenSurface backBuffer_;
    DirtyRectList dirtyRects_;
    Rect caretRect_;   // x, y, width and height as a rectangle in client coordinates
    bool caretOn_ = false;     // drawn in this blink phase
    bool caretShown_ = false;  // between showCaret and hideCaret
    WindowTimer caretTimer_;
    // Where the pointer is said to be while an accessible action presses a control; else none.
    bool pointerOverride_ = false;
    Point overriddenPointer_;
};
