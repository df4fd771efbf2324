// The installer mutex slot: held from start-up until the script releases it or tear-down ends.
#pragma once

#include <windows.h>

// Single-instance lock shared by every installer and uninstaller of the family.
extern const wchar_t kInstallerMutexName[];

// Stores the handle (possibly null) the start-up sequence created.
void setInstallerMutex(HANDLE mutex);

// Closes the installer mutex if it is still held (script function releaseMutex and tear-down).
// Returns true when a handle was closed.
bool releaseInstallerMutex();
