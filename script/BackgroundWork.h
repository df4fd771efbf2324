// Background work: the worker script on a thread of its own, its notifications and extraction.
#pragma once

struct lua_State;

namespace LuaWork {

// Sets the global startWork in the UI state. startWork(script, package, configuration) starts
// the worker thread and returns at once; the task service then keeps the process alive until the
// worker has ended. Without a running task service no worker is started (nothing could ever wait
// for it or answer it).
void registerStartWork(lua_State* L);

} // namespace LuaWork
