// Window object methods and the unregistration of a destroyed window.
#include "WindowObject.h"

#include "ScriptBridges.h"
#include "ScriptFailure.h"
#include "ScriptRegistry.h"
#include "SystemFunctions.h"

#include <ControlEvent.h>
#include <Toolkit.h>

extern "C" {
#include <lauxlib.h>
#include <lua.h>
}

namespace {

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
    Toolkit::addGlobalHandler(EventCode::WorkerNotification, window, scriptMessageBridge);
    return 0;
}

} // namespace

const luaL_Reg kWindowMethods[] = {
    {"setMessageHandler", sysapi::guarded<setMessageHandler>},
    {nullptr, nullptr},
};

void registerScriptWindow(lua_State* L, ControlHost* window)
{
    registerWindowObject(L, window, kWindowMethods);
}

void onScriptWindowDestroyed(lua_State* L, ControlHost* window)
{
    if (!L || !window)
        return;
    unregisterWindowObject(L, window);
    Toolkit::removeGlobalHandler(EventCode::WorkerNotification, window, scriptMessageBridge);
}
