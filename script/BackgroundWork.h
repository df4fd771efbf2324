// Background work: the worker script on a thread of its own, its notifications and extraction.
#pragma once

#include <string>

struct lua_State;

namespace LuaWork {

// Sets the globals startWork and waitForWork in the UI state. startWork(script, package,
// configuration) starts the worker thread and returns at once whether it did; the task service
// then keeps the process alive until the worker has ended. Without a running task service no
// worker is started (nothing could ever wait for it or answer it). However its script ends, the
// worker's last notification is {code=11,error=[[...]]}, the error empty when the script ran to its
// end; nothing of the worker's is ever shown from its own thread. waitForWork(handler) answers the
// last started worker's notifications with handler(text) until it has ended, with no window: the
// unattended run's way to do the work.
void registerStartWork(lua_State* L);

// The worker's writeUninstaller(destination) writes the uninstaller from the running installer's
// own file. A test, not being an installer, names one here (empty: the running one again).
void setUninstallerSource(const std::wstring& installer);

} // namespace LuaWork
