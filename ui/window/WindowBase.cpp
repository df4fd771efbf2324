// WindowBase: class registration, binding through a creation hook, the window procedure, the modal loop.
#include "WindowBase.h"

#include <platform/CallbackBoundary.h>
#include <platform/Handle.h>

#include <map>
#include <vector>

namespace {

ATOM classAtom = 0;
std::map<HWND, WindowBase*> windowMap;
WindowBase* pendingObject = nullptr;   // not owned: the object whose window is being created
platform::UniqueHook creationHook;

LRESULT CALLBACK classWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    auto it = windowMap.find(window);
    if (it == windowMap.end() || !it->second)
        return DefWindowProcW(window, message, wparam, lparam);
    WindowBase* object = it->second;
    return platform::callbackBoundary(L"WindowBase: a message handler", LRESULT(0),
                                      [&] { return object->handleMessage(message, wparam, lparam); });
}

void removeCreationHook()
{
    creationHook.reset();
}

// Binds the window of our class being created to the pending object, before its first message.
void bindCreatedWindow(int code, WPARAM wparam)
{
    if (code == HCBT_CREATEWND && pendingObject) {
        auto window = reinterpret_cast<HWND>(wparam);
        wchar_t name[32] = {};
        if (GetClassNameW(window, name, 32) && wcscmp(name, WindowBase::kClassName) == 0) {
            pendingObject->hwnd = window;
            windowMap[window] = pendingObject;
            pendingObject = nullptr;
            removeCreationHook();
        }
    }
}

LRESULT CALLBACK creationHookProc(int code, WPARAM wparam, LPARAM lparam)
{
    HHOOK hook = creationHook.get();
    platform::callbackBoundary(L"WindowBase: the creation hook", [&] { bindCreatedWindow(code, wparam); });
    return CallNextHookEx(hook, code, wparam, lparam);
}

bool registerClass(HINSTANCE instance)
{
    if (classAtom)
        return true;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = classWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = WindowBase::kClassName;
    classAtom = RegisterClassExW(&windowClass);
    return classAtom != 0;
}

} // namespace

WindowBase::WindowBase() : alive_(std::make_shared<bool>(true)) {}

WindowBase::~WindowBase()
{
    *alive_ = false;
    auto it = windowMap.find(hwnd);
    if (it != windowMap.end() && it->second == this)
        windowMap.erase(it);
    if (pendingObject == this)
        pendingObject = nullptr;
}

LRESULT WindowBase::handleMessage(UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message != WM_DESTROY)
        return DefWindowProcW(hwnd, message, wparam, lparam);
    if (creating_) {
        // refused during creation: the object stays with its maker, unbound
        windowMap.erase(hwnd);
        hwnd = nullptr;
        return 0;
    }
    delete this;
    return 0;
}

bool WindowBase::create(const wchar_t* title, DWORD style, int x, int y, int width, int height, HWND parent,
                        HMENU menu, HINSTANCE instance)
{
    return createEx(0, title, style, x, y, width, height, parent, menu, instance);
}

bool WindowBase::createEx(DWORD exStyle, const wchar_t* title, DWORD style, int x, int y, int width, int height,
                          HWND parent, HMENU menu, HINSTANCE instance)
{
    if (hwnd || !registerClass(instance))
        return false;
    // A hook left from a creation that failed before the platform announced the window would
    // bind the next window of the class to a stale object: there is only ever ours.
    removeCreationHook();
    pendingObject = this;
    creationHook.reset(SetWindowsHookExW(WH_CBT, creationHookProc, nullptr, GetCurrentThreadId()));
    if (!creationHook) {
        pendingObject = nullptr;
        return false;
    }
    std::shared_ptr<bool> alive = alive_;
    creating_ = true;
    HWND made = CreateWindowExW(exStyle, kClassName, title, style, x, y, width, height, parent, menu, instance,
                                nullptr);
    // the hook goes whatever happened: the platform may have failed before announcing the window
    if (pendingObject == this)
        pendingObject = nullptr;
    removeCreationHook();
    if (!*alive)
        return false;   // deleted by a handler while being created; nothing of it may be touched
    creating_ = false;
    if (!made) {
        auto it = windowMap.find(hwnd);
        if (it != windowMap.end() && it->second == this)
            windowMap.erase(it);
        hwnd = nullptr;
        return false;
    }
    return true;
}

int WindowBase::showDialog(HWND owner, const bool* stop)
{
    if (inDialog_ || !hwnd)
        return 0;
    // The window may be destroyed under the loop (a close request sent rather than posted): from
    // then on only locals are used.
    std::shared_ptr<bool> alive = alive_;
    HWND self = hwnd;
    if (owner == self || (owner && !IsWindow(owner)))
        owner = nullptr;
    bool ownerWasEnabled = false;
    if (owner) {
        if (IsIconic(owner))
            ShowWindow(owner, SW_SHOWNORMAL);
        ownerWasEnabled = IsWindowEnabled(owner) != FALSE;
        EnableWindow(owner, FALSE);
    }
    inDialog_ = true;
    // reset before showing: a handler run by the showing may already end the dialog
    dialogResult = 0;
    ShowWindow(self, SW_SHOWNORMAL);
    int result = 0;

    // The end conditions are tested after every message, before the next is fetched: a message
    // fetched is always delivered (a deferred Click, a task's wake-up), and a loop ended from a
    // nested loop (a message box over the dialog) leaves as soon as control is back here.
    MSG message;
    while (*alive && dialogResult == 0 && !(stop && *stop)) {
        BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(int(message.wParam));   // for the loop that encloses ours
            break;
        }
        if (got == -1)
            break;
        if (message.hwnd == self && (message.message == WM_CLOSE ||
                                     (message.message == WM_SYSCOMMAND && (message.wParam & 0xFFF0) == SC_CLOSE)))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    if (*alive) {
        result = dialogResult;
        inDialog_ = false;
    }

    // the owner first, so that activation does not pass to another program's window meanwhile
    if (owner && IsWindow(owner)) {
        EnableWindow(owner, ownerWasEnabled ? TRUE : FALSE);
        SetActiveWindow(owner);
    }
    if (*alive) {
        hide();
        DestroyWindow(self);   // deletes this object
    }
    return result;
}

void WindowBase::endDialog(int code)
{
    dialogResult = code;
    if (hwnd)
        PostMessageW(hwnd, WM_NULL, 0, 0);
}

void WindowBase::hide()
{
    if (hwnd)
        SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
}

bool WindowBase::trackMouse(bool hover)
{
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof track;
    track.dwFlags = TME_LEAVE | (hover ? TME_HOVER : 0);
    track.hwndTrack = hwnd;
    track.dwHoverTime = HOVER_DEFAULT;
    return TrackMouseEvent(&track) != FALSE;
}

Point WindowBase::cursorPosition() const
{
    POINT point{};
    GetCursorPos(&point);
    ScreenToClient(hwnd, &point);
    return {int32_t(point.x), int32_t(point.y)};
}

WindowBase* WindowBase::fromHandle(HWND window)
{
    auto it = windowMap.find(window);
    return it == windowMap.end() ? nullptr : it->second;
}

void WindowBase::destroyAll()
{
    std::vector<HWND> windows;
    for (const auto& entry : windowMap)
        windows.push_back(entry.first);
    // an owner takes its owned windows with it, so some handles are gone by their turn
    for (HWND window : windows) {
        if (IsWindow(window) && fromHandle(window))
            DestroyWindow(window);
    }
}
