// The platform calls behind a machine restart, replaceable so that tests never restart anything.
#pragma once

#include <windows.h>

struct SystemShutdownCalls {
    BOOL (*openProcessToken)(DWORD access, HANDLE* token);
    BOOL (*exitWindows)(UINT flags, DWORD reason);
};

// The calls in use: the real OpenProcessToken on this process and ExitWindowsEx unless replaced.
SystemShutdownCalls systemShutdownCalls();

// Replaces the calls; a null member restores the platform's. Returns the previous set.
SystemShutdownCalls setSystemShutdownCalls(SystemShutdownCalls calls);
