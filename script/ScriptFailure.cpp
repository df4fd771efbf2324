// Pending script errors: kept when raised under native frames, raised again in script code.
#include "ScriptFailure.h"


#include <cassert>

extern "C" {
#include <lauxlib.h>
#include <lua.h>
}

namespace {

constexpr char kPendingField[] = "__pendingError";

ScriptFailureScope* innermostScope = nullptr;

// Runs before the next script instruction: raises the pending error there, where only Lua's own
// frames lie between it and the protected call that runs the script.
void raisePending(lua_State* L, lua_Debug*)
{
    lua_getfield(L, LUA_REGISTRYINDEX, kPendingField);
    if (lua_isnil(L, -1)) {
        lua_pop(L, 1);
        return;
    }
    lua_error(L);
}

} // namespace

bool callScriptProtected(lua_State* L, int nargs, int nresults)
{
    if (lua_pcall(L, nargs, nresults, 0) == LUA_OK)
        return true;
    bool first = !scriptFailurePending(L);
    if (first) {
        // a non-string error value gives an empty message, as for any script error
        if (!lua_isstring(L, -1)) {
            lua_pop(L, 1);
            lua_pushliteral(L, "");
        }
        lua_setfield(L, LUA_REGISTRYINDEX, kPendingField);
        lua_sethook(L, raisePending, LUA_MASKCOUNT, 1);
    } else {
        lua_pop(L, 1);
    }
    for (int i = 0; i < nresults; ++i)
        lua_pushnil(L);
    if (first) {
        for (ScriptFailureScope* scope = innermostScope; scope; scope = scope->outer_)
            scope->listener_(scope->context_);
    }
    return false;
}

bool scriptFailurePending(lua_State* L)
{
    lua_getfield(L, LUA_REGISTRYINDEX, kPendingField);
    bool pending = !lua_isnil(L, -1);
    lua_pop(L, 1);
    return pending;
}

bool takePendingScriptError(lua_State* L, const char** message)
{
    lua_sethook(L, nullptr, 0, 0);
    lua_getfield(L, LUA_REGISTRYINDEX, kPendingField);
    if (lua_isnil(L, -1)) {
        lua_pop(L, 1);
        if (message)
            *message = "";
        return false;
    }
    // the message stays on the stack, alive, until the caller restores its stack top
    if (message)
        *message = lua_tostring(L, -1);
    lua_pushnil(L);
    lua_setfield(L, LUA_REGISTRYINDEX, kPendingField);
    return true;
}

ScriptFailureScope::ScriptFailureScope(Listener listener, void* context)
    : listener_(listener), context_(context), outer_(innermostScope)
{
    innermostScope = this;
}

ScriptFailureScope::~ScriptFailureScope()
{
    assert(innermostScope == this && "failure scopes end in the reverse order of their start");
    innermostScope = outer_;
}

void* openLoopFailureScope(void (*end)(void* context), void* context)
{
    return new ScriptFailureScope(end, context);
}

void closeLoopFailureScope(void* scope)
{
    delete static_cast<ScriptFailureScope*>(scope);
}
