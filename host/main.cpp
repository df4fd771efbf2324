// Process entry point of the installer executable: the switches are read from the raw command line.
#include "Installer.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    return runInstaller(GetCommandLineW());
}
