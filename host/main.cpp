// Process entry point of the installer executable, and of the uninstaller the installer writes
// from it: the switches are read from the raw command line.
#include "Installer.h"

#include <Uninstaller.h>

#include <platform/StartupTrace.h>
#include <platform/SystemApis.h>

#include <windows.h>

#include <cstdlib>

// Runs before every static constructor of the program (and so before wWinMain): from here on no
// library is looked for beside the executable, which usually sits in the user's Downloads folder.
__attribute__((constructor(101))) static void restrictDllSearchFirst()
{
    platform::restrictDllSearch();
}

// What std::terminate runs (an exception nobody catches). libstdc++'s own prints the exception's
// demangled type to stderr, which a windowed program does not have, and brings the demangler with
// it, a twentieth of this program; the debugger output is where a developer looks here.
namespace __gnu_cxx {
void __verbose_terminate_handler()
{
    OutputDebugStringW(L"Orvo Setup: terminated by an exception nobody caught\n");
    std::abort();
}
} // namespace __gnu_cxx

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    platform::startupMark(L"entry point");
    if (isUninstaller())
        return runUninstaller(GetCommandLineW());
    return runInstaller(GetCommandLineW());
}
