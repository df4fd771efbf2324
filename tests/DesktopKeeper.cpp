// Test helper: keeps Wine's desktop process alive for a whole test run with one hidden window.
// Wine starts that process from the first program that needs a desktop, and it inherits that
// program's output: ctest would then wait for the process as if it were the test. Started first by
// tools/test.sh with nothing attached, it is there before any test needs it. Runs until killed.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    if (!CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr))
        return 1;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
        DispatchMessageW(&message);
    return 0;
}
