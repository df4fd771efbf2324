// Process lookup over Toolhelp snapshots and termination by module path or executable name.
#include "ProcessTermination.h"

#include <platform/Handle.h>

#include <psapi.h>
#include <tlhelp32.h>

#include <functional>

namespace {

constexpr DWORD kTerminateWaitMs = 10000;

// Calls `visit` for every process of a fresh snapshot until it returns false.
void forEachProcess(const std::function<bool(const PROCESSENTRY32W&)>& visit)
{
    platform::UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot)
        return;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
        if (!visit(entry))
            return;
    }
}

// The installer (or an uninstaller of the family) may itself match what it stops: one started
// from the folder it clears, or named in the shared process list. Stopping itself would end the
// run half done, so the termination routines pass over the calling process.
bool isCallingProcess(DWORD pid)
{
    return pid == GetCurrentProcessId();
}

// Returns true when a process matched and was terminated.
bool terminateMatchingPath(DWORD pid, const std::wstring& path)
{
    if (isCallingProcess(pid))
        return false;
    platform::UniqueHandle process(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | PROCESS_TERMINATE, FALSE, pid));
    if (!process)
        return false;
    if (!equalsIgnoringCase(moduleFileName(process.get()), path))
        return false;
    if (!TerminateProcess(process.get(), kTerminatedExitCode))
        return false;
    WaitForSingleObject(process.get(), kTerminateWaitMs);
    return true;
}

void terminateByPath(const std::wstring& path, bool firstOnly)
{
    if (path.empty())
        return;
    forEachProcess([&](const PROCESSENTRY32W& entry) {
        return !(terminateMatchingPath(entry.th32ProcessID, path) && firstOnly);
    });
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
    DWORD length = K32GetModuleFileNameExW(process, nullptr, buffer, MAX_PATH + 1);
    if (length == 0 || length >= MAX_PATH)
        return {};
    return std::wstring(buffer, length);
}

void terminateByModulePath(const std::wstring& path)
{
    terminateByPath(path, false);
}

void terminateFirstByModulePath(const std::wstring& path)
{
    terminateByPath(path, true);
}

void terminateByExeName(const std::wstring& name)
{
    forEachProcess([&](const PROCESSENTRY32W& entry) {
        if (isCallingProcess(entry.th32ProcessID))
            return true;
        platform::UniqueHandle process(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, entry.th32ProcessID));
        if (process && equalsIgnoringCase(entry.szExeFile, name) && TerminateProcess(process.get(), kTerminatedExitCode))
            WaitForSingleObject(process.get(), kTerminateWaitMs);
        return true;
    });
}

void terminateByExeNameNoWait(const std::wstring& entry)
{
    size_t slash = entry.find_last_of(L"\\/");
    std::wstring name = slash == std::wstring::npos ? entry : entry.substr(slash + 1);
    if (name.size() > MAX_PATH - 1)
        name.resize(MAX_PATH - 1);
    OutputDebugStringW(entry.c_str());
    OutputDebugStringW(name.c_str());
    forEachProcess([&](const PROCESSENTRY32W& process) {
        if (!isCallingProcess(process.th32ProcessID) && equalsIgnoringCase(process.szExeFile, name)) {
            platform::UniqueHandle handle(OpenProcess(PROCESS_TERMINATE, FALSE, process.th32ProcessID));
            if (handle)
                TerminateProcess(handle.get(), 0);
        }
        return true;
    });
}

bool isModuleRunning(const std::wstring& path)
{
    bool found = false;
    if (path.empty())
        return false;   // an unreadable module path is empty too, and must not count as a match
    forEachProcess([&](const PROCESSENTRY32W& entry) {
        platform::UniqueHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, entry.th32ProcessID));
        found = process && equalsIgnoringCase(moduleFileName(process.get()), path);
        return !found;
    });
    return found;
}
