// Registry operations: window and control objects by handle, through the script's lua_* functions.
#include "ScriptRegistry.h"

#include "ControlObject.h"
#include "ScriptFailure.h"

#include <Control.h>
#include <ControlFlags.h>

extern "C" {
#include <lauxlib.h>
#include <lua.h>
}

namespace {

constexpr char kWindows[] = "__window";
constexpr char kControls[] = "__control";
constexpr char kTimers[] = "__timer";

// Resolves `self` through a query function that answers with a handle.
void* objectFromSelf(lua_State* L, int index, const char* query, const char* field)
{
    lua_pushvalue(L, index);
    callRegistryFunction(L, query, field, 1, 1);
    void* object = scriptHandleArg(L, -1);
    lua_pop(L, 1);
    return object;
}

// Stands in for a registry function the script never defined, so that the failure says why.
int missingRegistryFunction(lua_State* L)
{
    return luaL_error(L, "%s is not defined: the UI script must load the registry functions first "
                         "(require \"registry\")",
                      lua_tostring(L, lua_upvalueindex(1)));
}

} // namespace

void pushRawGlobal(lua_State* L, const char* name)
{
    lua_rawgeti(L, LUA_REGISTRYINDEX, LUA_RIDX_GLOBALS);
    lua_pushstring(L, name);
    lua_rawget(L, -2);
    lua_remove(L, -2);
}

void pushScriptHandle(lua_State* L, const void* object)
{
    // addresses the platform hands out stay below 2^53, so the double holds them exactly
    lua_pushnumber(L, lua_Number(reinterpret_cast<uintptr_t>(object)));
}

void* scriptHandleArg(lua_State* L, int index)
{
    if (!lua_isnumber(L, index))
        return nullptr;
    return reinterpret_cast<void*>(uintptr_t(lua_tointeger(L, index)));
}

void createScriptRegistries(lua_State* L)
{
    lua_newtable(L);
    lua_setfield(L, LUA_REGISTRYINDEX, kWindows);
    lua_newtable(L);
    lua_setfield(L, LUA_REGISTRYINDEX, kTimers);
    lua_createtable(L, 2, 0);
    lua_newtable(L);
    lua_rawseti(L, -2, 1);
    lua_newtable(L);
    lua_rawseti(L, -2, 2);
    lua_setfield(L, LUA_REGISTRYINDEX, kControls);
}

bool callRegistryFunction(lua_State* L, const char* function, const char* field, int nargs, int nresults)
{
    int base = lua_gettop(L) - nargs + 1;
    pushRawGlobal(L, function);
    if (!lua_isfunction(L, -1)) {
        lua_pop(L, 1);
        lua_pushstring(L, function);
        lua_pushcclosure(L, missingRegistryFunction, 1);
    }
    lua_insert(L, base);
    lua_getfield(L, LUA_REGISTRYINDEX, field);
    lua_insert(L, base + 1);
    return callScriptProtected(L, nargs + 1, nresults);
}

void registerWindowObject(lua_State* L, ControlHost* window, const luaL_Reg* methods)
{
    lua_newtable(L);
    if (methods)
        luaL_setfuncs(L, methods, 0);
    lua_pushvalue(L, -1);
    pushScriptHandle(L, window);
    callRegistryFunction(L, "lua_addWindow", kWindows, 2, 0);
}

void pushWindowObject(lua_State* L, ControlHost* window)
{
    pushScriptHandle(L, window);
    callRegistryFunction(L, "lua_queryWindow", kWindows, 1, 1);
}

ControlHost* windowFromSelf(lua_State* L, int index)
{
    return static_cast<ControlHost*>(objectFromSelf(L, lua_absindex(L, index), "lua_queryWindowHandle", kWindows));
}

void unregisterWindowObject(lua_State* L, ControlHost* window)
{
    int top = lua_gettop(L);
    pushScriptHandle(L, window);
    callRegistryFunction(L, "lua_removeWindow", kWindows, 1, 0);
    pushScriptHandle(L, window);
    callRegistryFunction(L, "lua_removeTimer", kTimers, 1, 0);
    lua_settop(L, top);
}

void pushControlObject(lua_State* L, Control* control)
{
    if (!control) {
        lua_pushnil(L);
        return;
    }
    pushScriptHandle(L, control);
    callRegistryFunction(L, "lua_queryControl", kControls, 1, 1);
    if (!lua_isnil(L, -1))
        return;
    lua_pop(L, 1);
    // first use: a new table with the methods of the control's family, recorded under its handle
    lua_newtable(L);
    setControlMethods(L, control);
    lua_pushvalue(L, -1);
    pushScriptHandle(L, control);
    if (callRegistryFunction(L, "lua_addControl", kControls, 2, 0))
        control->markScriptObject(true);
}

Control* controlFromSelf(lua_State* L, int index)
{
    return static_cast<Control*>(objectFromSelf(L, lua_absindex(L, index), "lua_queryControlHandle", kControls));
}

void unregisterControlObject(lua_State* L, Control* control)
{
    int top = lua_gettop(L);
    pushScriptHandle(L, control);
    callRegistryFunction(L, "lua_removeControl", kControls, 1, 0);
    lua_settop(L, top);
    control->markScriptObject(false);
}

void pushControlDispatcher(lua_State* L, int index)
{
    lua_pushvalue(L, lua_absindex(L, index));
    callRegistryFunction(L, "lua_queryControlDispatcher", kControls, 1, 1);
}
