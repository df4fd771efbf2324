// Helper program for the system function tests.
//   exit N                       ends with exit code N
//   wait [STOPFILE]              runs until STOPFILE exists (at most 60 s), then exits 0
//   fill TEXT READYFILE STOPFILE fills the shared process list with TEXT, writes READYFILE and
//                                keeps the list alive until STOPFILE exists (at most 60 s)
#include <windows.h>

#include <cwchar>
#include <cstring>

namespace {

void waitFor(const wchar_t* stopFile)
{
    for (int i = 0; i < 600; ++i) {
        if (stopFile && GetFileAttributesW(stopFile) != INVALID_FILE_ATTRIBUTES)
            return;
        Sleep(100);
    }
}

int fill(const wchar_t* text, const wchar_t* readyFile, const wchar_t* stopFile)
{
    HANDLE mutex = CreateMutexW(nullptr, FALSE, L"B225A8E1-72D4-4ED6-834F-55BD8E70E63A");
    HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096,
                                        L"4DC1097A-58F5-40F4-AD49-F77C1C1B9858");
    if (!mutex || !mapping)
        return 3;
    void* view = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 4096);
    if (!view)
        return 4;
    WaitForSingleObject(mutex, INFINITE);
    std::memset(view, 0, 4096);
    std::memcpy(view, text, std::wcslen(text) * sizeof(wchar_t));
    ReleaseMutex(mutex);
    CloseHandle(CreateFileW(readyFile, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    waitFor(stopFile);
    UnmapViewOfFile(view);
    CloseHandle(mapping);
    CloseHandle(mutex);
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc >= 3 && std::wcscmp(argv[1], L"exit") == 0)
        return _wtoi(argv[2]);
    if (argc >= 2 && std::wcscmp(argv[1], L"wait") == 0) {
        waitFor(argc >= 3 ? argv[2] : nullptr);
        return 0;
    }
    if (argc >= 5 && std::wcscmp(argv[1], L"fill") == 0)
        return fill(argv[2], argv[3], argv[4]);
    return 2;
}
