// Test helper: keeps a file open for writing without sharing, as a running program holds its own
// files, until its stop file appears. Usage: hold_file FILE READY_FILE STOP_FILE.
#include <windows.h>

int wmain(int argc, wchar_t** argv)
{
    if (argc != 4)
        return 2;
    HANDLE held = CreateFileW(argv[1], GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
    if (held == INVALID_HANDLE_VALUE)
        return 3;
    HANDLE ready = CreateFileW(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(ready);
    for (int i = 0; i < 1200 && GetFileAttributesW(argv[3]) == INVALID_FILE_ATTRIBUTES; ++i)
        Sleep(50);
    CloseHandle(held);
    return 0;
}
