// The keyboard filter of hosted browsers: every message of a browser's inner window is offered to the active objects first.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <set>

// A browser handles its own keys (Tab between links, the clipboard keys) only when its container
// offers them to the active object's TranslateAccelerator before the window sees them. Our modal
// loop knows nothing of browsers, so the browser's inner window is subclassed instead. UI thread
// only; nothing here refers to a control, so a window may outlive the control that subclassed it.
class BrowserKeyboardFilter {
public:
    // The active objects of every hosted browser, in set order; the set holds no references
    // (each control holds one to its own active object while it is listed).
    static void addActiveObject(IOleInPlaceActiveObject* object);
    static void removeActiveObject(IOleInPlaceActiveObject* object);
    static const std::set<IOleInPlaceActiveObject*>& activeObjects();

    // Puts the filter in front of the window's procedure, keeping that procedure for this window.
    // False when the window does not exist or is filtered already. The window gets its own
    // procedure back when it is destroyed.
    static bool subclass(HWND window);
    static bool isSubclassed(HWND window);

private:
    static LRESULT CALLBACK filterProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    static LRESULT filter(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    // Offers the message to each active object; true when one of them consumed it.
    static bool translate(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
};
