// The replaceable token and restart calls.
#include "SystemShutdown.h"

#include <mutex>

namespace {

BOOL platformOpenProcessToken(DWORD access, HANDLE* token)
{
    return OpenProcessToken(GetCurrentProcess(), access, token);
}

BOOL platformExitWindows(UINT flags, DWORD reason)
{
    return ExitWindowsEx(flags, reason);
}

std::mutex callsLock;
SystemShutdownCalls calls{platformOpenProcessToken, platformExitWindows};

} // namespace

SystemShutdownCalls systemShutdownCalls()
{
    std::lock_guard<std::mutex> lock(callsLock);
    return calls;
}

SystemShutdownCalls setSystemShutdownCalls(SystemShutdownCalls replacement)
{
    std::lock_guard<std::mutex> lock(callsLock);
    SystemShutdownCalls previous = calls;
    calls.openProcessToken = replacement.openProcessToken ? replacement.openProcessToken : platformOpenProcessToken;
    calls.exitWindows = replacement.exitWindows ? replacement.exitWindows : platformExitWindows;
    return previous;
}
