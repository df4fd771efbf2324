// The combo box's drop-down: a popup window with a list box and a message loop of its own.
#pragma once

#include "WindowImpl.h"

class ComboBox;
class ListBox;

// Made hidden with its combo box (no owner, a tool window, not layered). While open it runs its
// own loop, which readdresses the thread's input to the popup and ends when an item is chosen,
// when Escape is pressed, when the popup loses activation (a click elsewhere), on a quit request
// or when a failing script asks loops to end. Afterwards the popup hides and, unless the user
// activated something else, the keyboard focus goes back to the combo box's window.
class ComboHelperWnd : public WindowImpl {
public:
    explicit ComboHelperWnd(ComboBox* box);
    ~ComboHelperWnd() override;

    LRESULT handleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

    // Sizes the popup for its items (at most maxHeight), places it at (x, y), shows and focuses
    // the list and runs the loop. `owner` is the window to give the focus back to. The popup may
    // be gone when this returns.
    void showPopup(HWND owner, int32_t x, int32_t y, int32_t width, int32_t maxHeight, bool below);
    // Ends the loop at its next turn (a choice, Escape, the combo box going away).
    void close();

    ComboBox* box = nullptr;   // not owned; null once the box is gone
    ListBox* list = nullptr;   // owned by the popup's tree
    bool closed = false;
    bool droppedDown = false;  // opened below (true) or above the box

private:
    enum class LoopEnd { closed, deactivated, quit, gone };
    LoopEnd runLoop();
    void choose();
    // Posts the WM_NULL that makes a waiting GetMessageW return.
    void wake();
    // Where the thread's input goes while the popup is open.
    static void readdress(HWND popup, MSG& message);
    static void onListNotify(void* target, Control* control, ControlEvent* event);
    static void onListKeyDown(void* target, Control* control, ControlEvent* event);

    bool looping_ = false;
};
