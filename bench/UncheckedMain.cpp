// Entry point of the benchmark's installer without its self-check: the sequence after the check, alone.
#include <Installer.h>

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    return runInstaller(makeResourceFileSystem);
}
