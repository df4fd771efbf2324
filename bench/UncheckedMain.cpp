// Entry point of the benchmark's installer without its self-check: the sequence after the check, alone.
#include <Installer.h>

#include <platform/SystemApis.h>

#include <windows.h>

// As the shipped entry point does, so that the two differ only in the check.
__attribute__((constructor(101))) static void restrictDllSearchFirst()
{
    platform::restrictDllSearch();
}

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    return runInstaller(makeResourceFileSystem, GetCommandLineW());
}
