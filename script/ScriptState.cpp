// UI script state creation and the protected run of a script file.
#include "ScriptState.h"

#include "BackgroundWork.h"
#include "LuaWindowTimer.h"
#include "ScriptConvert.h"
#include "ScriptFailure.h"
#include "ScriptModules.h"
#include "ScriptRegistry.h"
#include "SystemApi.h"
#include "WindowObject.h"

#include <Control.h>
#include <ControlEvent.h>
#include <ScriptHooks.h>

#include <FileSystem.h>
#include <MessageBox.h>
#include <WindowImpl.h>

#include <windows.h>

#include <cstring>
#include <string>

extern "C" {
#include <lauxlib.h>
#include <lua.h>
#include <lualib.h>
}

lua_State* uiScriptState = nullptr;

namespace {

constexpr wchar_t kErrorTitle[] = L"错误";

// The global `event`: the codes a script may name, made from the one list the controls use.
void setEventTable(lua_State* L)
{
    lua_newtable(L);
#define ORVO_SCRIPT_EVENT(name, code, seen) \
    if (seen) {                             \
        lua_pushinteger(L, code);           \
        lua_setfield(L, -2, #name);         \
    }
    ORVO_EVENT_CODES(ORVO_SCRIPT_EVENT)
#undef ORVO_SCRIPT_EVENT
    lua_setglobal(L, "event");
}

int loadRegistryModule(lua_State* L)
{
    if (luaL_loadbuffer(L, kRegistryModule, kRegistryModuleSize, "@registry.lua") != LUA_OK)
        return lua_error(L);
    lua_call(L, 0, 1);
    setEventTable(L);
    if (lua_isnil(L, -1)) {
        lua_pop(L, 1);
        lua_pushboolean(L, 1);
    }
    return 1;
}

// A control with a script object is going away: its triple and dispatcher go with it, so that a
// later control at the same address gets a table of its own.
void controlDestroyed(Control* control)
{
    if (uiScriptState)
        unregisterControlObject(uiScriptState, control);
}

// A host window is going away: its script object, timers and message handlers go with it. A
// window that outlives the state (destroyed at tear-down) only loses its native timers.
void windowDestroyed(ControlHost* window)
{
    onScriptWindowDestroyed(uiScriptState, window);
}

// Installed while the UI state is open: the toolkit's only calls into the script layer.
ScriptHooks makeHooks()
{
    ScriptHooks hooks;
    hooks.controlDestroyed = controlDestroyed;
    hooks.windowDestroyed = windowDestroyed;
    hooks.openLoop = openLoopFailureScope;
    hooks.closeLoop = closeLoopFailureScope;
    return hooks;
}

const ScriptHooks uiScriptHooks = makeHooks();

} // namespace

void preloadScriptModules(lua_State* L)
{
    lua_getglobal(L, "package");
    lua_getfield(L, -1, "preload");
    lua_pushcfunction(L, loadRegistryModule);
    lua_setfield(L, -2, "registry");
    lua_pop(L, 2);
}

void openScriptLibraries(lua_State* L)
{
    luaL_openlibs(L);
    lua_getglobal(L, "package");
    lua_pushliteral(L, "");
    lua_setfield(L, -2, "path");
    lua_pushliteral(L, "");
    lua_setfield(L, -2, "cpath");
    lua_pushnil(L);
    lua_setfield(L, -2, "loadlib");
    // only the first searcher, the preloaded modules, stays
    lua_getfield(L, -1, "searchers");
    for (lua_Integer i = lua_Integer(lua_rawlen(L, -1)); i > 1; --i) {
        lua_pushnil(L);
        lua_rawseti(L, -2, int(i));
    }
    lua_pop(L, 2);
}

int createUiScriptState(lua_State** state)
{
    lua_State* L = luaL_newstate();
    openScriptLibraries(L);
    preloadScriptModules(L);
    registerSystemApi(L);
    createScriptRegistries(L);
    setScriptHooks(&uiScriptHooks);
    registerCreateWindow(L);
    LuaWork::registerStartWork(L);
    *state = L;
    return 1;
}

int loadScriptText(lua_State* L, const char* text)
{
    return luaL_loadbufferx(L, text, std::strlen(text), text, "t");
}

bool runScriptFile(lua_State** state, const wchar_t* name)
{
    lua_State* L = *state;
    if (!L)
        return false;
    bool ok = false;
    FileSystem* files = currentFileSystem();
    uint64_t size = 0;
    void* text = files ? files->readFile(name, &size) : nullptr;
    if (!text) {
        // The script is part of the installer; its absence is reported like any script failure.
        std::wstring message = L"无法读取脚本文件 " + std::wstring(name ? name : L"");
        showMessageBox(nullptr, message.c_str(), kErrorTitle, MB_OK);
    } else {
        int top = lua_gettop(L);
        // The buffer ends in zero bytes, so it is a string chunk as it stands.
        bool ran = loadScriptText(L, static_cast<const char*>(text)) == LUA_OK &&
                   lua_pcall(L, 0, LUA_MULTRET, 0) == LUA_OK;
        // An error under native frames (a handler, a timer, the message handler) is the one that
        // ended the run, even where the script's own pcall caught its re-raise on the way out.
        const char* pending = nullptr;
        if (takePendingScriptError(L, &pending)) {
            std::wstring message = utf8ToWide(pending);
            showMessageBox(nullptr, message.c_str(), kErrorTitle, MB_OK);
        } else if (ran) {
            ok = true;
        } else {
            std::wstring message = utf8ToWide(lua_tostring(L, -1));
            showMessageBox(nullptr, message.c_str(), kErrorTitle, MB_OK);
        }
        lua_settop(L, top);
        files->freeData(text);
    }
    // Controls still alive (for example in trees the script built) must not call into a closed state,
    // and no timer may tick into it.
    *state = nullptr;
    LuaWindow::discardAllTimers();
    forgetScriptWindows();
    setScriptHooks(nullptr);
    lua_close(L);
    return ok;
}
