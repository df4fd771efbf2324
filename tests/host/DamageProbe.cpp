// Test helper for the damaged-installer scenario. Usage:
//   damage_probe offset EXE ID      prints "OFFSET SIZE" of resource ID of type "_OrvoResc" in EXE's file
//   damage_probe run EXE [ARGS...]  runs EXE, waits, prints its full exit code ("refused" when it cannot start)
// Exit 0 when it printed, 1 when it could not, 2 on usage.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <string>

namespace {

int offset(const wchar_t* exe, int id)
{
    // a data-file module maps the file flat: a resource's distance from the base is its file offset
    HMODULE module = LoadLibraryExW(exe, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module)
        return 1;
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), L"_OrvoResc");
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    auto bytes = static_cast<const uint8_t*>(loaded ? LockResource(loaded) : nullptr);
    if (!bytes)
        return 1;
    auto base = reinterpret_cast<const uint8_t*>(uintptr_t(module) & ~uintptr_t(3));
    std::printf("%llu %lu\n", (unsigned long long)(bytes - base), SizeofResource(module, found));
    return 0;
}

int run(int argc, wchar_t** argv)
{
    std::wstring line;
    for (int i = 2; i < argc; ++i) {
        // quoted, as CommandLineToArgvW splits them back (no argument here ends in a backslash)
        line += i > 2 ? L" \"" : L"\"";
        line += argv[i];
        line += L"\"";
    }
    STARTUPINFOW startup = {sizeof startup};
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(argv[2], &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        std::printf("refused %lu\n", GetLastError());
        return 0;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    std::printf("%lu\n", code);
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc == 4 && std::wcscmp(argv[1], L"offset") == 0)
        return offset(argv[2], _wtoi(argv[3]));
    if (argc >= 3 && std::wcscmp(argv[1], L"run") == 0)
        return run(argc, argv);
    return 2;
}
