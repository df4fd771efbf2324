// Script timers: creation, ticks into the script, killing, and their end with a window or the state.
#include "LuaWindowTimer.h"

#include "ScriptConvert.h"
#include "ScriptFailure.h"
#include "ScriptRegistry.h"

#include <algorithm>
#include <map>
#include <vector>

extern "C" {
#include <lauxlib.h>
#include <lua.h>
}

namespace LuaWindow {

namespace {

constexpr char kTimers[] = "__timer";

// The timers of each window, in creation order. Not owned here: each timer deletes itself
// through discard.
std::map<ControlHost*, std::vector<LuaWindowTimer*>> scriptTimersByWindow;

} // namespace

void LuaWindowTimer::tick()
{
    // Once the script has failed, nothing more of it may run; a discarded timer is silent.
    if (discarded_ || scriptFailurePending(state_))
        return;
    ++running_;
    int top = lua_gettop(state_);
    pushScriptHandle(state_, this);
    callRegistryFunction(state_, "lua_onTimer", kTimers, 1, 0);
    lua_settop(state_, top);
    --running_;
    if (discarded_ && running_ == 0)
        delete this;   // killed or orphaned by its own callback: nothing after this line
}

void LuaWindowTimer::discard()
{
    if (discarded_)
        return;
    discarded_ = true;
    stop();
    if (running_ == 0)
        delete this;
}

int setTimer(lua_State* L, ControlHost* window)
{
    // the function is stored as given; a non-function simply fails when its period comes
    lua_settop(L, 3);
    auto* timer = new LuaWindowTimer(L, window);
    timer->interval = int32_t(std::clamp<int64_t>(scriptIntegerArg(L, 2), 0, INT32_MAX));
    // the first tick runs now and finds no registry entry yet: it does nothing
    timer->start();
    scriptTimersByWindow[window].push_back(timer);
    int top = lua_gettop(L);
    pushScriptHandle(L, timer);
    lua_pushvalue(L, 3);
    pushScriptHandle(L, window);
    callRegistryFunction(L, "lua_setTimer", kTimers, 3, 0);
    lua_settop(L, top);
    pushScriptHandle(L, timer);
    return 1;
}

void killTimer(lua_State* L, ControlHost* window)
{
    lua_settop(L, 2);
    // compared by address only: the number may name a timer long gone
    void* handle = scriptHandleArg(L, 2);
    auto entry = scriptTimersByWindow.find(window);
    if (entry != scriptTimersByWindow.end()) {
        std::vector<LuaWindowTimer*>& timers = entry->second;
        auto found = std::find(timers.begin(), timers.end(), handle);
        if (found != timers.end()) {
            LuaWindowTimer* timer = *found;
            timers.erase(std::remove(timers.begin(), timers.end(), timer), timers.end());
            if (timers.empty())
                scriptTimersByWindow.erase(entry);
            timer->discard();
        }
    }
    int top = lua_gettop(L);
    pushScriptHandle(L, handle);
    pushScriptHandle(L, window);
    callRegistryFunction(L, "lua_killTimer", kTimers, 2, 0);
    lua_settop(L, top);
}

void discardWindowTimers(ControlHost* window)
{
    auto entry = scriptTimersByWindow.find(window);
    if (entry == scriptTimersByWindow.end())
        return;
    std::vector<LuaWindowTimer*> timers = std::move(entry->second);
    scriptTimersByWindow.erase(entry);
    for (LuaWindowTimer* timer : timers)
        timer->discard();
}

void discardAllTimers()
{
    auto all = std::move(scriptTimersByWindow);
    scriptTimersByWindow.clear();
    for (auto& entry : all) {
        for (LuaWindowTimer* timer : entry.second)
            timer->discard();
    }
}

} // namespace LuaWindow
