// A window stand-in for toolkit tests: records what controls ask of their hosting window.
#pragma once

#include <Control.h>
#include <ControlHost.h>

#include <vector>

class FakeHost : public ControlHost {
public:
    Rect client{0, 0, 400, 300};
    Point cursor;
    std::vector<Rect> invalidated;
    std::vector<bool> repaintRequests;   // the wait flag of each request
    std::vector<Control*> forgotten;
    // the records a real window keeps; not owned
    Control* focused = nullptr;
    Control* captured = nullptr;
    Control* hovered = nullptr;

    Rect clientRect() const override { return client; }
    void invalidateRect(const Rect& rect) override { invalidated.push_back(rect); }
    bool requestRepaint(bool wait) override
    {
        repaintRequests.push_back(wait);
        return true;
    }
    void forgetControl(Control* control) override
    {
        forgotten.push_back(control);
        for (Control** record : {&focused, &captured, &hovered}) {
            if (*record == control)
                *record = nullptr;
        }
    }
    Point cursorPosition() const override { return cursor; }

    // the text caret as the controls left it
    Size caretSize;
    Point caretAt;
    bool caretShown = false;
    void setCaretSize(int32_t width, int32_t height) override { caretSize = {width, height}; }
    void showCaret(int32_t x, int32_t y) override
    {
        caretAt = {x, y};
        caretShown = true;
    }
    void hideCaret() override { caretShown = false; }

    WindowHandle native = nullptr;   // what nativeWindow reports; not owned
    WindowHandle nativeWindow() const override { return native; }

    // What the host window does on creation and destruction.
    void attachRoot(Control* root) { root->attachRoot(this); }
    void detachRoot(Control* root) { root->detachRoot(); }
};
