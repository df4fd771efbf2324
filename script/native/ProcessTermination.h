// Finding and stopping processes by module path or executable name (system functions and cleanup).
#pragma once

#include <windows.h>

#include <string>

// None of the routines below stops the calling process itself.

// Exit code given to the processes stopped by path or name with a wait.
constexpr UINT kTerminatedExitCode = 0xFFFFFFF8;

// Stops every process whose full module path equals `path` (letter case ignored) and waits up
// to 10 s for each.
void terminateByModulePath(const std::wstring& path);

// As terminateByModulePath, but stops only the first matching process.
void terminateFirstByModulePath(const std::wstring& path);

// Stops every process whose executable file name equals `name` (letter case ignored), waiting up
// to 10 s for each. Processes that cannot be opened are skipped.
void terminateByExeName(const std::wstring& name);

// Reduces `entry` to its last path component and stops every process of that executable name
// with exit code 0, without waiting.
void terminateByExeNameNoWait(const std::wstring& entry);

// True when some process's full module path equals `path` (letter case ignored).
bool isModuleRunning(const std::wstring& path);

// The full module path of `process`, or empty when it cannot be read or is longer than 259 units.
std::wstring moduleFileName(HANDLE process);

// Ordinal comparison without regard to letter case.
bool equalsIgnoringCase(const std::wstring& a, const std::wstring& b);
