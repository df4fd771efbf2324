// The installer's start-up and tear-down sequence, from the single-instance lock to exit.
#pragma once

// Runs the whole installer on the calling thread, which becomes the UI thread. Returns the process
// exit code, 0 on every path (refusals included).
int runInstaller();

// The resource names and ids the executable carries, in registration order.
struct NamedResource {
    const wchar_t* name;
    int id;
};
extern const NamedResource kNamedResources[5];

// Single-instance lock shared by every installer and uninstaller of the family.
extern const wchar_t kInstallerMutexName[];

// Closes the installer mutex if it is still held (script function releaseMutex and tear-down).
// Returns true when a handle was closed.
bool releaseInstallerMutex();
