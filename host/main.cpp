// Process entry point of the installer executable, and of the uninstaller the installer writes
// from it: the switches are read from the raw command line.
#include "Installer.h"

#include <Uninstaller.h>

#include <platform/StartupTrace.h>
#include <platform/SystemApis.h>

#include <windows.h>

// Runs before every static constructor of the program (and so before wWinMain): from here on no
// library is looked for beside the executable, which usually sits in the user's Downloads folder.
__attribute__((constructor(101))) static void restrictDllSearchFirst()
{
    platform::restrictDllSearch();
}

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    platform::startupMark(L"entry point");
    if (isUninstaller())
        return runUninstaller(GetCommandLineW());
    return runInstaller(GetCommandLineW());
}
