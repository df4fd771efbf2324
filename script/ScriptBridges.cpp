// Event and message bridges from native dispatch into the UI script state.
#include "ScriptBridges.h"

#include "NotifyRunable.h"
#include "ScriptFailure.h"
#include "ScriptRegistry.h"
#include "ScriptState.h"

#include <Control.h>
#include <ControlEvent.h>
#include <ControlHost.h>

extern "C" {
#include <lua.h>
}

void scriptEventBridge(void* target, Control*, ControlEvent* event)
{
    lua_State* L = uiScriptState;
    if (!L || !target || !event)
        return;
    int top = lua_gettop(L);
    // the sender is the control the list belongs to, also when the event bubbled up to it
    auto control = static_cast<Control*>(target);
    pushControlObject(L, control);
    int object = lua_gettop(L);
    pushRawGlobal(L, "lua_invokeHandlers");
    pushControlDispatcher(L, object);
    lua_pushvalue(L, object);
    lua_pushinteger(L, event->code);
    lua_pushnumber(L, lua_Number(event->wparam));
    lua_pushnumber(L, lua_Number(event->lparam));
    callScriptProtected(L, 5, 1);
    event->handled = lua_toboolean(L, -1) ? 1 : 0;
    lua_settop(L, top);
}

void scriptMessageBridge(void* target, Control*, ControlEvent* event)
{
    lua_State* L = uiScriptState;
    if (!event)
        return;
    // Once the UI script has failed nobody decides any more: the worker is told to stop rather
    // than install behind the error box or retry for ever.
    if (!L || scriptFailurePending(L)) {
        event->lparam = LuaWork::kStopAnswer;
        return;
    }
    int top = lua_gettop(L);
    const char* text = reinterpret_cast<const char*>(uintptr_t(event->wparam));
    pushRawGlobal(L, "lua_invokeMessageHandler");
    lua_getfield(L, LUA_REGISTRYINDEX, "__window");
    pushWindowObject(L, static_cast<ControlHost*>(target));
    lua_pushstring(L, text ? text : "");
    const bool answered = callScriptProtected(L, 3, 1);
    // a non-number answer counts as 0
    event->lparam = !answered ? LuaWork::kStopAnswer : lua_isnumber(L, -1) ? int64_t(lua_tointeger(L, -1)) : 0;
    lua_settop(L, top);
}
