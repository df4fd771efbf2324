// Starting programs and documents as the signed-in user rather than with the installer's rights.
#pragma once

#include <string>

// The System32 folder, without a trailing separator ("C:\Windows\system32").
std::wstring systemFolder();
// The Windows folder, without a trailing separator.
std::wstring windowsFolder();

// How launchUnelevated got the program started.
enum class LaunchRoute {
    failed,
    desktopShell,    // the desktop's shell (explorer) started it, with the user's own rights
    notElevated,     // this process has no administrator rights to pass on: started directly
    explorerHandOff, // handed to a new "explorer.exe", which passes it to the running shell
};

// Opens `file` (a program with `parameters`, or a document or web address) as the signed-in user:
// asks the desktop's shell through its IShellDispatch2 (found with IShellWindows) to run it, so
// it starts with the shell's rights, never the installer's. Without a desktop shell to ask, an
// unelevated process starts it itself, and an elevated one hands it to explorer.exe by its full
// path. `directory` is the working folder, empty for none.
LaunchRoute launchUnelevated(const std::wstring& file, const std::wstring& parameters, const std::wstring& directory);

// Wraps `text` in double quotes for a command line (any quote inside is dropped: a path cannot
// hold one).
std::wstring quoted(const std::wstring& text);
