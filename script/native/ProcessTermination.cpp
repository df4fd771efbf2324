// Process lookup over Toolhelp snapshots and termination by image path.
#include "ProcessTermination.h"

#include <platform/Handle.h>

#include <tlhelp32.h>

#include <algorithm>
#include <functional>

namespace {

constexpr DWORD kTerminateWaitMs = 10000;

// Calls `visit` for every process id of a fresh snapshot until it returns false.
void forEachProcess(const std::function<bool(DWORD)>& visit)
{
    platform::UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot)
        return;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
        if (!visit(entry.th32ProcessID))
            return;
    }
}

// The installer (or an uninstaller of the family) may itself match what it stops: one started
// from the folder it clears. Stopping itself would end the run half done.
bool isCallingProcess(DWORD pid)
{
    return pid == GetCurrentProcessId();
}

std::wstring normalised(std::wstring path)
{
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

// Returns true when the process matched and was terminated.
bool terminateMatchingPath(DWORD pid, const std::wstring& path, UINT exitCode, bool wait)
{
    if (isCallingProcess(pid))
        return false;
    platform::UniqueHandle process(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE, FALSE, pid));
    if (!process || !equalsIgnoringCase(moduleFileName(process.get()), path))
        return false;
    if (!TerminateProcess(process.get(), exitCode))
        return false;
    if (wait)
        WaitForSingleObject(process.get(), kTerminateWaitMs);
    return true;
}

void terminateByPath(const std::wstring& path, bool firstOnly, UINT exitCode, bool wait)
{
    if (path.empty())
        return;
    const std::wstring wanted = normalised(path);
    forEachProcess([&](DWORD pid) { return !(terminateMatchingPath(pid, wanted, exitCode, wait) && firstOnly); });
}

bool isPlainExecutableName(const std::wstring& name)
{
    if (name.size() <= 4 || name.size() >= MAX_PATH || name.find_first_of(L":*?\"<>|") != std::wstring::npos)
        return false;
    return name.front() != L'.' && equalsIgnoringCase(name.substr(name.size() - 4), L".exe");
}

} // namespace

bool equalsIgnoringCase(const std::wstring& a, const std::wstring& b)
{
    return CompareStringOrdinal(a.c_str(), int(a.size()), b.c_str(), int(b.size()), TRUE) == CSTR_EQUAL;
}

std::wstring moduleFileName(HANDLE process)
{
    // One unit more than the 260 the paths may have: a result that fills it was cut short, and a
    // cut-short path must not match a shorter argument.
    wchar_t buffer[MAX_PATH + 1];
    DWORD length = MAX_PATH + 1;
    if (!QueryFullProcessImageNameW(process, 0, buffer, &length) || length == 0 || length >= MAX_PATH)
        return {};
    return std::wstring(buffer, length);
}

void terminateByModulePath(const std::wstring& path)
{
    terminateByPath(path, false, kTerminatedExitCode, true);
}

void terminateFirstByModulePath(const std::wstring& path)
{
    terminateByPath(path, true, kTerminatedExitCode, true);
}

void terminateByModulePathNoWait(const std::wstring& path)
{
    terminateByPath(path, false, 0, false);
}

bool isModuleRunning(const std::wstring& path)
{
    bool found = false;
    if (path.empty())
        return false;   // an unreadable image path is empty too, and must not count as a match
    const std::wstring wanted = normalised(path);
    forEachProcess([&](DWORD pid) {
        platform::UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
        found = process && equalsIgnoringCase(moduleFileName(process.get()), wanted);
        return !found;
    });
    return found;
}

std::vector<std::wstring> productExecutables(const std::wstring& folder, const std::vector<std::wstring>& entries)
{
    std::vector<std::wstring> paths;
    if (folder.empty())
        return paths;
    std::wstring base = normalised(folder);
    if (base.back() != L'\\')
        base += L'\\';
    for (const std::wstring& entry : entries) {
        size_t slash = entry.find_last_of(L"\\/");
        std::wstring name = slash == std::wstring::npos ? entry : entry.substr(slash + 1);
        if (!isPlainExecutableName(name))
            continue;
        std::wstring path = base + name;
        DWORD attributes = GetFileAttributesW(path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
            continue;
        if (std::none_of(paths.begin(), paths.end(), [&](const std::wstring& p) { return equalsIgnoringCase(p, path); }))
            paths.push_back(path);
    }
    return paths;
}
