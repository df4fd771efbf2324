// Test helper: holds the installer mutex like a running installer, until its stop file appears.
// Usage: hold_mutex READY_FILE STOP_FILE. Exits 3 when the mutex already existed.
#include <windows.h>

int wmain(int argc, wchar_t** argv)
{
    if (argc != 3)
        return 2;
    HANDLE mutex = CreateMutexW(nullptr, TRUE, L"Global\\ORVOINSTALLER");
    if (!mutex || GetLastError() == ERROR_ALREADY_EXISTS)
        return 3;
    HANDLE ready = CreateFileW(argv[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(ready);
    for (int i = 0; i < 600 && GetFileAttributesW(argv[2]) == INVALID_FILE_ATTRIBUTES; ++i)
        Sleep(100);
    // Still the owner: nothing the refused copy did may have taken the mutex away.
    DWORD wait = WaitForSingleObject(mutex, 0);
    CloseHandle(mutex);
    return wait == WAIT_OBJECT_0 ? 0 : 4;
}
