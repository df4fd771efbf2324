// createWindow, the window object methods, and the end of a window's registration.
#include "WindowObject.h"

#include "LuaWindowTimer.h"
#include "ScriptBridges.h"
#include "ScriptConvert.h"
#include "ScriptFailure.h"
#include "ScriptRegistry.h"
#include "SystemFunctions.h"

#include <ControlEvent.h>
#include <MessageBox.h>
#include <ModalLoopGuard.h>
#include <ShadowedWindow.h>
#include <Toolkit.h>
#include <platform/Com.h>
#include <platform/StartupTrace.h>

#include <shlobj.h>

#include <algorithm>
#include <memory>
#include <vector>

extern "C" {
#include <lauxlib.h>
#include <lua.h>
}

namespace {

// The windows with a message bridge registered, until they are destroyed or the state closes.
std::vector<ControlHost*>& bridgedWindows()
{
    static std::vector<ControlHost*> windows;   // not owned
    return windows;
}

void removeBridges(ControlHost* window)
{
    // every registration: setMessageHandler may have been called more than once
    while (Toolkit::removeGlobalHandler(EventCode::WorkerNotification, window, scriptMessageBridge)) {
    }
    auto& windows = bridgedWindows();
    windows.erase(std::remove(windows.begin(), windows.end(), window), windows.end());
}

using sysapi::guarded;

constexpr DWORD kDefaultStyle = WS_POPUP;

// The native window of the object at argument 1, when it is one of our host windows.
WindowImpl* hostWindowArg(lua_State* L)
{
    return dynamic_cast<WindowImpl*>(windowFromSelf(L));
}

// A platform dialog over `owner` (a message box, the folder picker) is a modal loop that can run
// script code (timers, worker notifications). When that code fails, the box is closed so the
// failure can unwind through the loops beneath it.
class DialogFailureScope {
public:
    explicit DialogFailureScope(HWND owner) : owner_(owner), scope_(closeDialogs, this) {}

private:
    static BOOL CALLBACK closeOne(HWND window, LPARAM owner)
    {
        wchar_t name[16] = {};
        GetClassNameW(window, name, 16);
        if (wcscmp(name, L"#32770") == 0 && GetWindow(window, GW_OWNER) == reinterpret_cast<HWND>(owner))
            EndDialog(window, IDCANCEL);
        return TRUE;
    }
    static void closeDialogs(void* context)
    {
        auto* self = static_cast<DialogFailureScope*>(context);
        EnumThreadWindows(GetCurrentThreadId(), closeOne, reinterpret_cast<LPARAM>(self->owner_));
    }

    HWND owner_;
    ScriptFailureScope scope_;
};

int getRoot(lua_State* L)
{
    WindowImpl* window = hostWindowArg(L);
    if (!window)
        return 0;
    pushControlObject(L, window->root());
    return 1;
}

int getChild(lua_State* L)
{
    ControlHost* window = windowFromSelf(L);
    if (!window)
        return 0;
    pushControlObject(L, window->findById(int32_t(scriptIntegerArg(L, 2))));
    return 1;
}

int setPosition(lua_State* L)
{
    if (WindowImpl* window = hostWindowArg(L))
        SetWindowPos(window->hwnd, nullptr, int(scriptIntegerArg(L, 2)), int(scriptIntegerArg(L, 3)), 0, 0,
                     SWP_NOZORDER | SWP_NOSIZE);
    return 0;
}

int getPosition(lua_State* L)
{
    WindowImpl* window = hostWindowArg(L);
    if (!window)
        return 0;
    RECT area{};
    GetWindowRect(window->hwnd, &area);
    pushScriptInteger(L, area.left);
    pushScriptInteger(L, area.top);
    return 2;
}

int centerScreen(lua_State* L)
{
    WindowImpl* window = hostWindowArg(L);
    if (!window)
        return 0;
    RECT area{};
    GetWindowRect(window->hwnd, &area);
    int width = area.right - area.left, height = area.bottom - area.top;
    // 50 pixels above the true centre, as the installer has always sat
    int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - height - 100) / 2;
    SetWindowPos(window->hwnd, nullptr, x, y, 0, 0, SWP_NOZORDER | SWP_NOSIZE);
    return 0;
}

int browseForFolder(lua_State* L)
{
    WindowImpl* window = hostWindowArg(L);
    if (!window)
        return 0;
    std::wstring title = scriptStringArg(L, 2);
    BROWSEINFOW info{};
    info.hwndOwner = window->hwnd;
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    std::wstring path;
    {
        DialogFailureScope scope(window->hwnd);
        platform::CoTaskMemPtr<ITEMIDLIST> items(SHBrowseForFolderW(&info));
        wchar_t buffer[MAX_PATH] = {};
        if (items && SHGetPathFromIDListW(items.get(), buffer))
            path = buffer;
    }
    if (path.empty())
        return 0;
    pushScriptString(L, path);
    return 1;
}

void markStopped(void* stop)
{
    *static_cast<bool*>(stop) = true;
}

int showDialog(lua_State* L)
{
    WindowImpl* window = hostWindowArg(L);
    // a window whose loop runs already is not shown again
    if (!window || window->dialogRunning())
        return 0;
    HWND owner = nullptr;
    if (lua_gettop(L) >= 2 && !lua_isnil(L, 2)) {
        WindowImpl* ownerWindow = dynamic_cast<WindowImpl*>(windowFromSelf(L, 2));
        // a window is never its own owner: it would disable itself
        if (ownerWindow && ownerWindow != window)
            owner = ownerWindow->hwnd;
    }
    bool stop = false;
    int result = 0;
    {
        ModalLoopGuard guard(markStopped, &stop);
        result = window->showDialog(owner, &stop);   // the window is gone afterwards
    }
    pushScriptInteger(L, result);
    return 1;
}

int endDialog(lua_State* L)
{
    if (WindowImpl* window = hostWindowArg(L))
        window->endDialog(int(scriptIntegerArg(L, 2)));
    return 0;
}

int updateLayout(lua_State* L)
{
    if (WindowImpl* window = hostWindowArg(L))
        window->updateLayout();
    return 0;
}

// Records the handler and registers the bridge for this window once more: a second call means
// every notification reaches the (latest) handler twice, the last answer winning.
int setMessageHandler(lua_State* L)
{
    ControlHost* window = windowFromSelf(L);
    if (!window)
        return 0;
    lua_settop(L, 2);
    lua_pushvalue(L, 1);
    lua_pushvalue(L, 2);
    callRegistryFunction(L, "lua_setMessageHandler", "__window", 2, 0);
    if (Toolkit::addGlobalHandler(EventCode::WorkerNotification, window, scriptMessageBridge)) {
        auto& windows = bridgedWindows();
        if (std::find(windows.begin(), windows.end(), window) == windows.end())
            windows.push_back(window);
    }
    return 0;
}

int setIcon(lua_State* L)
{
    WindowImpl* window = hostWindowArg(L);
    if (!window)
        return 0;
    WORD id = WORD(scriptIntegerArg(L, 2) & 0xFFFF);
    HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id));
    SendMessageW(window->hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    SendMessageW(window->hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    return 0;
}

int setTitle(lua_State* L)
{
    if (WindowImpl* window = hostWindowArg(L)) {
        std::wstring text = scriptStringArg(L, 2);
        SendMessageW(window->hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    return 0;
}

int setCursor(lua_State* L)
{
    // the system cursor is set whatever self is
    WORD id = WORD(scriptIntegerArg(L, 2) & 0xFFFF);
    SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(id)));
    return 0;
}

int showWindow(lua_State* L)
{
    if (WindowImpl* window = hostWindowArg(L))
        ShowWindow(window->hwnd, int(scriptIntegerArg(L, 2)));
    return 0;
}

int showMessageBox(lua_State* L)
{
    WindowImpl* window = hostWindowArg(L);
    if (!window)
        return 0;
    std::wstring text = scriptStringArg(L, 2), caption = scriptStringArg(L, 3);
    UINT type = UINT(scriptIntegerArg(L, 4));
    int pressed = 0;
    {
        DialogFailureScope scope(window->hwnd);
        pressed = ::showMessageBox(window->hwnd, text.c_str(), caption.c_str(), type);
    }
    pushScriptInteger(L, pressed);
    return 1;
}

int setTimer(lua_State* L)
{
    ControlHost* window = windowFromSelf(L);
    if (!window)
        return 0;
    return LuaWindow::setTimer(L, window);
}

int killTimer(lua_State* L)
{
    if (ControlHost* window = windowFromSelf(L))
        LuaWindow::killTimer(L, window);
    return 0;
}

// Builds the window, or leaves the reason pushed and returns false; every C++ object of the
// attempt is gone when it returns, so the caller can raise the error.
bool makeWindow(lua_State* L)
{
    std::wstring name = scriptStringArg(L, 1);
    DWORD style = lua_isnoneornil(L, 2) ? kDefaultStyle : DWORD(scriptIntegerArg(L, 2));
    auto window = std::make_unique<ShadowedWindow>(name);
    if (!window->create(nullptr, style, 0, 0, 0, 0)) {
        std::wstring reason = window->markupError();
        if (reason.empty())
            reason = L"window markup \"" + name + L"\": the window could not be created";
        pushScriptString(L, reason);
        return false;
    }
    // from here the object lives as long as its native window
    registerScriptWindow(L, window.release());
    return true;
}

int makeWindowGuarded(lua_State* L)
{
    platform::StartupPhase traced(L"building the window from markup");
    try {
        return makeWindow(L) ? 1 : -1;
    } catch (...) {
        lua_pushliteral(L, "createWindow: out of memory");
        return -1;
    }
}

// A window that cannot be made is a script error carrying the reason (a missing or malformed
// markup): the script cannot go on without its window, and nil would only fail later, less clearly.
int createWindow(lua_State* L)
{
    if (makeWindowGuarded(L) < 0)
        return lua_error(L);
    return 1;
}

} // namespace

const luaL_Reg kWindowMethods[] = {
    {"getRoot", guarded<getRoot>},
    {"getChild", guarded<getChild>},
    {"setPosition", guarded<setPosition>},
    {"getPosition", guarded<getPosition>},
    {"centerScreen", guarded<centerScreen>},
    {"browseForFolder", guarded<browseForFolder>},
    {"showDialog", guarded<showDialog>},
    {"endDialog", guarded<endDialog>},
    {"updateLayout", guarded<updateLayout>},
    {"setMessageHandler", guarded<setMessageHandler>},
    {"setIcon", guarded<setIcon>},
    {"setTitle", guarded<setTitle>},
    {"setCursor", guarded<setCursor>},
    {"showWindow", guarded<showWindow>},
    {"showMessageBox", guarded<showMessageBox>},
    {"setTimer", guarded<setTimer>},
    {"killTimer", guarded<killTimer>},
    {nullptr, nullptr},
};

void registerScriptWindow(lua_State* L, ControlHost* window)
{
    registerWindowObject(L, window, kWindowMethods);
}

void registerCreateWindow(lua_State* L)
{
    lua_register(L, "createWindow", createWindow);
}

void onScriptWindowDestroyed(lua_State* L, ControlHost* window)
{
    if (!window)
        return;
    LuaWindow::discardWindowTimers(window);
    removeBridges(window);
    if (L)
        unregisterWindowObject(L, window);
}

void forgetScriptWindows()
{
    while (!bridgedWindows().empty())
        removeBridges(bridgedWindows().back());
}
