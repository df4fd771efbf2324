// Process entry point of orvo-run.exe, the development runner.
#include "DevelopmentRunner.h"

#include <windows.h>
#include <shellapi.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    int code = runDevelopmentRunner(argv ? argc : 0, argv);
    LocalFree(argv);
    return code;
}
