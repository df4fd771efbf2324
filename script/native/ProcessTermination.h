// Finding and stopping processes by the full path of their executable image.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Nothing here matches by executable name alone: a name says nothing about which program runs,
// and the installer runs as administrator, so a name another program chose (in the shared
// process list, or as a file it planted in a user folder) could make it stop anything on the
// machine. Paths are compared with the image path read through the very handle that is then
// terminated, so a process id reused between snapshot and open is never stopped by mistake.
// None of the routines stops the calling process itself.

// Exit code given to the processes stopped by path with a wait.
constexpr UINT kTerminatedExitCode = 0xFFFFFFF8;

// Stops every process whose image path equals `path` (letter case ignored, "/" read as "\") and
// waits up to 10 s for each.
void terminateByModulePath(const std::wstring& path);

// As terminateByModulePath, but stops only the first matching process.
void terminateFirstByModulePath(const std::wstring& path);

// Stops every process whose image path equals `path` with exit code 0, without waiting.
void terminateByModulePathNoWait(const std::wstring& path);

// True when some process's image path equals `path` (letter case ignored).
bool isModuleRunning(const std::wstring& path);

// The full image path of `process` (QueryFullProcessImageNameW; the handle needs
// PROCESS_QUERY_LIMITED_INFORMATION), or empty when it cannot be read or is longer than 259 units.
std::wstring moduleFileName(HANDLE process);

// Ordinal comparison without regard to letter case.
bool equalsIgnoringCase(const std::wstring& a, const std::wstring& b);

// The executables of the product that may be stopped in `folder`: for each entry of `entries`
// (a bare file name or a path, of which only the last component counts), `folder` + that name,
// when the name is a plain file name ending in ".exe" and such a file exists in `folder`.
// Duplicates are dropped; the order is kept. An empty folder gives nothing.
std::vector<std::wstring> productExecutables(const std::wstring& folder, const std::vector<std::wstring>& entries);
