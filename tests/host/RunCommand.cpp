// Test helper: runs a whole command line (an uninstall entry's UninstallString, say), waits for
// it and writes its full exit code to a file; the wine command itself passes on only 8 bits.
// Usage: run_command OUT_FILE COMMAND_LINE
#include <windows.h>

#include <string>

int wmain(int argc, wchar_t** argv)
{
    if (argc != 3)
        return 2;
    std::wstring commandLine = argv[2];
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    DWORD code = 0xFFFFFFFF;
    if (CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        WaitForSingleObject(info.hProcess, INFINITE);
        GetExitCodeProcess(info.hProcess, &code);
        CloseHandle(info.hProcess);
        CloseHandle(info.hThread);
    }
    std::string text = std::to_string(long(code)) + "\n";
    HANDLE out = CreateFileW(argv[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(out, text.data(), DWORD(text.size()), &written, nullptr);
    CloseHandle(out);
    return 0;
}
