// BrowserKeyboardFilter: the active objects, the previous procedure of each filtered window, and the filter itself.
#include "BrowserKeyboardFilter.h"

#include <platform/CallbackBoundary.h>
#include <platform/Com.h>

#include <map>
#include <vector>

namespace {

std::set<IOleInPlaceActiveObject*>& objectSet()
{
    static std::set<IOleInPlaceActiveObject*> set;
    return set;
}

// Each filtered window's own procedure. Per window: two browsers have inner windows of their own,
// and each must get its own procedure back.
std::map<HWND, WNDPROC>& previousProcedures()
{
    static std::map<HWND, WNDPROC> map;
    return map;
}

// Set while the active objects are asked: an object that sends its window a message meanwhile
// must get that message handled, not offered to it again from inside its own translation.
bool translating = false;

} // namespace

void BrowserKeyboardFilter::addActiveObject(IOleInPlaceActiveObject* object)
{
    if (object)
        objectSet().insert(object);
}

void BrowserKeyboardFilter::removeActiveObject(IOleInPlaceActiveObject* object)
{
    objectSet().erase(object);
}

const std::set<IOleInPlaceActiveObject*>& BrowserKeyboardFilter::activeObjects()
{
    return objectSet();
}

bool BrowserKeyboardFilter::subclass(HWND window)
{
    if (!window || !IsWindow(window) || isSubclassed(window))
        return false;
    auto previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&BrowserKeyboardFilter::filterProc)));
    if (!previous)
        return false;
    previousProcedures()[window] = previous;
    return true;
}

bool BrowserKeyboardFilter::isSubclassed(HWND window)
{
    return previousProcedures().count(window) != 0;
}

bool BrowserKeyboardFilter::translate(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (translating || objectSet().empty())
        return false;
    MSG record{};
    record.hwnd = window;
    record.message = message;
    record.wParam = wparam;
    record.lParam = lparam;
    record.time = GetTickCount();
    GetCursorPos(&record.pt);

    // A translation may change the set (a browser announcing another active object, a control
    // going away): ask a referenced copy.
    std::vector<platform::ComPtr<IOleInPlaceActiveObject>> objects;
    for (IOleInPlaceActiveObject* object : objectSet()) {
        object->AddRef();
        objects.emplace_back(object);
    }
    translating = true;
    bool consumed = false;
    for (const auto& object : objects) {
        if (object->TranslateAccelerator(&record) == S_OK) {
            consumed = true;
            break;
        }
    }
    translating = false;
    return consumed;
}

LRESULT CALLBACK BrowserKeyboardFilter::filterProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    return platform::callbackBoundary(L"BrowserKeyboardFilter: the subclass procedure", LRESULT(0),
                                      [&] { return filter(window, message, wparam, lparam); });
}

LRESULT BrowserKeyboardFilter::filter(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    auto entry = previousProcedures().find(window);
    WNDPROC previous = entry != previousProcedures().end() ? entry->second : DefWindowProcW;
    if (message == WM_NCDESTROY) {
        // the last message: the window gets its own procedure back and leaves the map, so a new
        // window at the same handle starts unfiltered
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        if (entry != previousProcedures().end())
            previousProcedures().erase(entry);
        return CallWindowProcW(previous, window, message, wparam, lparam);
    }
    if (translate(window, message, wparam, lparam))
        return 0;
    if (message == WM_ERASEBKGND)
        return 1;   // the page paints its whole area: erasing first would only flicker
    return CallWindowProcW(previous, window, message, wparam, lparam);
}
