// Process entry point of the installer executable; it takes no arguments.
#include "Installer.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    return runInstaller();
}
