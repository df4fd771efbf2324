// One native top-level window bound to one object: the class, the creation hook and the modal loop.
#pragma once

#include <Geometry.h>

#include <windows.h>

#include <memory>

// Every toolkit window is made under one window class and bound to its object before its first
// message. The object lives as long as its window: it deletes itself on WM_DESTROY. Until create
// succeeds it belongs to whoever made it, who deletes it when create fails. UI thread only.
class WindowBase {
public:
    static constexpr wchar_t kClassName[] = L"WINDOW:234:000";

    WindowBase();
    virtual ~WindowBase();
    WindowBase(const WindowBase&) = delete;
    WindowBase& operator=(const WindowBase&) = delete;

    // The object's window procedure; the base deletes the object on WM_DESTROY and hands every
    // other message to DefWindowProcW.
    virtual LRESULT handleMessage(UINT message, WPARAM wparam, LPARAM lparam);

    // Registers the class on first use and creates the window bound to this object (the creation
    // messages reach it already). False when no window was made: the object then has no window
    // and is still the caller's, also when its WM_CREATE refused.
    bool create(const wchar_t* title, DWORD style, int x, int y, int width, int height, HWND parent = nullptr,
                HMENU menu = nullptr, HINSTANCE instance = nullptr);
    bool createEx(DWORD exStyle, const wchar_t* title, DWORD style, int x, int y, int width, int height,
                  HWND parent = nullptr, HMENU menu = nullptr, HINSTANCE instance = nullptr);

    // Shows the window and runs the modal loop until endDialog, a quit request, the window's
    // destruction or `*stop` becoming true (checked after every message); then hides and destroys
    // the window, so the object is gone when this returns. The owner (ignored when it is this
    // window) is disabled meanwhile and gets its enabled state back afterwards. Returns the code
    // given to endDialog, or 0. A window whose loop runs already refuses at once with 0.
    int showDialog(HWND owner, const bool* stop = nullptr);
    // Ends the modal loop with `code` (0 does not end it) and wakes the loop.
    void endDialog(int code);
    // Whether this window's modal loop is running.
    bool dialogRunning() const { return inDialog_; }
    void hide();
    // Asks for WM_MOUSELEAVE (and WM_MOUSEHOVER with `hover`); the platform's answer.
    bool trackMouse(bool hover);
    // The cursor in this window's client coordinates, in logical pixels.
    Point cursorPosition() const;
    // The display scale of the window's monitor (its DPI over 96); 1 without a window.
    static double scaleOf(HWND window);

    // The object bound to a window of the class, or null.
    static WindowBase* fromHandle(HWND window);
    // Destroys every window of the class still open (at tear-down, after the scripts have ended).
    static void destroyAll();

    // Cleared by the destructor: code that calls out (a loop, a handler) keeps a copy and checks
    // it before touching the object again.
    std::shared_ptr<bool> alive() const { return alive_; }

    HWND hwnd = nullptr;
    int dialogResult = 0;
    // Device pixels per logical pixel: the tree is laid out in logical pixels, the window is its
    // size times this. Taken from the monitor at creation and on WM_DPICHANGED.
    double dpiScale = 1.0;

private:
    std::shared_ptr<bool> alive_;
    bool creating_ = false;   // inside createEx: a refused WM_CREATE must not delete the object
    bool inDialog_ = false;
};
