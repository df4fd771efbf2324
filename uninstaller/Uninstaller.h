// The uninstaller's side of the one stub: an executable that carries the uninstaller's script runs
// as the uninstaller (the installer writes it so at install time, package/UninstallerImage.h).
#pragma once

#include <string>

// Whether the running executable is the uninstaller.
bool isUninstaller();

// Runs the uninstaller with `commandLine` (GetCommandLineW): the started process runs a temporary
// copy and returns its result; the copy runs the uninstaller's script over the install folder it
// was handed. Returns the process exit code.
int runUninstaller(const std::wstring& commandLine);
