// The uninstaller's copy of itself in a private temp folder, and the hand-over of its exit code.
#include "SelfCopy.h"

#include <ExitCodes.h>
#include <platform/Handle.h>

#include <sddl.h>

#include <cwchar>

namespace {

// SYSTEM and the administrators only, nothing inherited from the temp folder.
constexpr wchar_t kPrivateFolderSddl[] = L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";
constexpr DWORD kWaitForOriginal = 30 * 1000;

std::wstring ownPath()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, &path[0], DWORD(path.size()));
        if (length == 0)
            return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::wstring fileName(const std::wstring& path)
{
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// The system's temp folder (under the Windows folder): a user's %TEMP% is theirs to plant files in.
std::wstring systemTempFolder()
{
    wchar_t windows[MAX_PATH] = {};
    UINT length = GetSystemWindowsDirectoryW(windows, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return {};
    return std::wstring(windows, length) + L"\\Temp\\";
}

// A new folder no one else made, readable and writable by administrators alone.
std::wstring makePrivateFolder()
{
    std::wstring parent = systemTempFolder();
    if (parent.empty())
        return {};
    CreateDirectoryW(parent.c_str(), nullptr);
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kPrivateFolderSddl, SDDL_REVISION_1, &descriptor, nullptr))
        return {};
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
    std::wstring made;
    for (int attempt = 0; attempt < 100 && made.empty(); ++attempt) {
        wchar_t name[64];
        std::swprintf(name, 64, L"OrvoUninstall-%08lx-%04x", GetTickCount() ^ (GetCurrentProcessId() << 16),
                      unsigned(attempt));
        std::wstring folder = parent + name;
        // a folder that exists already may be someone else's: never reused
        if (CreateDirectoryW(folder.c_str(), &attributes))
            made = folder + L"\\";
    }
    LocalFree(descriptor);
    return made;
}

void scheduleRemoval(const std::wstring& copy, const std::wstring& folder)
{
    MoveFileExW(copy.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    std::wstring bare = folder.substr(0, folder.size() - 1);
    MoveFileExW(bare.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

// The copy's exit code: four bytes through the pipe when it sent them, else the code it ended with.
int awaitResult(HANDLE pipe, HANDLE process)
{
    int32_t code = 0;
    DWORD read = 0, total = 0;
    while (total < sizeof code &&
           ReadFile(pipe, reinterpret_cast<char*>(&code) + total, DWORD(sizeof code - total), &read, nullptr) && read)
        total += read;
    if (total == sizeof code)
        return code;
    WaitForSingleObject(process, INFINITE);
    DWORD exitCode = exitcode::kFailed;
    GetExitCodeProcess(process, &exitCode);
    return int(exitCode);
}

// The handle value in a switch: written and read as a plain number.
bool readNumber(const std::wstring& text, size_t* at, unsigned long long* value)
{
    wchar_t* end = nullptr;
    *value = std::wcstoull(text.c_str() + *at, &end, 10);
    if (end == text.c_str() + *at)
        return false;
    *at = size_t(end - text.c_str());
    return true;
}

} // namespace

bool readCopyLink(const std::wstring& commandLine, CopyLink* link, std::wstring* rest)
{
    // the program name first, quoted as CreateProcess got it
    size_t at = 0;
    if (commandLine.empty())
        return false;
    if (commandLine[0] == L'"') {
        at = commandLine.find(L'"', 1);
        if (at == std::wstring::npos)
            return false;
        ++at;
    } else {
        at = commandLine.find(L' ');
        if (at == std::wstring::npos)
            return false;
    }
    std::wstring program = commandLine.substr(0, at);
    while (at < commandLine.size() && commandLine[at] == L' ')
        ++at;
    size_t length = std::wcslen(kCopySwitch);
    if (commandLine.compare(at, length, kCopySwitch) != 0)
        return false;
    at += length;
    // /ORVO-COPY=<result handle>,<original handle>,"<folder>"
    unsigned long long result = 0, original = 0;
    if (!readNumber(commandLine, &at, &result) || commandLine.compare(at, 1, L",") != 0)
        return false;
    ++at;
    if (!readNumber(commandLine, &at, &original) || commandLine.compare(at, 2, L",\"") != 0)
        return false;
    at += 2;
    size_t close = commandLine.find(L'"', at);
    if (close == std::wstring::npos)
        return false;
    link->result = reinterpret_cast<HANDLE>(uintptr_t(result));
    link->original = reinterpret_cast<HANDLE>(uintptr_t(original));
    link->folder = commandLine.substr(at, close - at);
    if (link->folder.empty() || link->folder.back() != L'\\')
        link->folder += L'\\';
    link->program = link->folder + L"unins000.exe";
    *rest = program + commandLine.substr(close + 1);
    return true;
}

int runFromTemporaryCopy(const std::wstring& switches)
{
    std::wstring self = ownPath();
    size_t slash = self.find_last_of(L"\\/");
    if (self.empty() || slash == std::wstring::npos)
        return exitcode::kFailed;
    std::wstring installFolder = self.substr(0, slash + 1);
    std::wstring folder = makePrivateFolder();
    if (folder.empty())
        return exitcode::kFailed;
    std::wstring copy = folder + fileName(self);
    if (!CopyFileW(self.c_str(), copy.c_str(), TRUE)) {
        RemoveDirectoryW(folder.substr(0, folder.size() - 1).c_str());
        return exitcode::kFailed;
    }
    scheduleRemoval(copy, folder);

    // the two handles the copy inherits, and nothing else of ours
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        return exitcode::kFailed;
    platform::UniqueHandle reader(readEnd), writer(writeEnd);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    HANDLE selfHandle = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &selfHandle, SYNCHRONIZE, TRUE, 0))
        return exitcode::kFailed;
    platform::UniqueHandle ownHandle(selfHandle);

    std::wstring commandLine = L"\"" + copy + L"\" " + kCopySwitch + std::to_wstring(uintptr_t(writeEnd)) + L"," +
                               std::to_wstring(uintptr_t(selfHandle)) + L",\"" + installFolder + L"\"" + switches;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    // started from its own folder, so nothing is loaded from the install folder or the caller's
    if (!CreateProcessW(copy.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, folder.c_str(), &startup,
                        &info))
        return exitcode::kFailed;
    platform::UniqueHandle process(info.hProcess), thread(info.hThread);
    writer.reset();   // the copy holds the only write end now: a copy that dies ends the read
    return awaitResult(reader.get(), process.get());
}

void reportToOriginal(const CopyLink& link, int exitCode)
{
    int32_t code = exitCode;
    DWORD written = 0;
    WriteFile(link.result, &code, sizeof code, &written, nullptr);
    CloseHandle(link.result);
    WaitForSingleObject(link.original, kWaitForOriginal);
    CloseHandle(link.original);
}
