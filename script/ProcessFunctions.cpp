// System functions for processes, the shell and the shared process list.
#include "SystemFunctions.h"

#include "FileTree.h"
#include <platform/Handle.h>
#include <platform/StepLog.h>
#include "ProcessTermination.h"
#include "ScriptConvert.h"
#include "SharedBlock.h"

#include <windows.h>
#include <psapi.h>
#include <shellapi.h>

#include <vector>

namespace {

// Helper processes of the application that are stopped whatever folder they run from.
constexpr wchar_t kMonitorExe[] = L"nubmon.exe";
constexpr wchar_t kStreamExe[] = L"nubstream.exe";
constexpr wchar_t kApplicationExe[] = L"Nubelo.exe";

// Entries of the shared list: each is followed by ";", so text after the last ";" is not one.
std::vector<std::wstring> listEntries(const std::wstring& text)
{
    std::vector<std::wstring> entries;
    size_t start = 0;
    for (size_t end = text.find(L';'); end != std::wstring::npos; end = text.find(L';', start)) {
        if (end > start)
            entries.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return entries;
}

} // namespace

namespace sysapi {

int sleep(lua_State* L)
{
    // Negative or huge values would wrap into an endless sleep; they are clamped instead.
    int64_t ms = scriptIntegerArg(L, 1);
    if (ms < 0)
        ms = 0;
    if (ms > int64_t(INFINITE - 1))
        ms = int64_t(INFINITE - 1);
    Sleep(DWORD(ms));
    return 0;
}

int killProcess(lua_State* L)
{
    platform::logStep(L"stopping the processes of " + scriptStringArg(L, 1));
    terminateByModulePath(scriptStringArg(L, 1));
    return 0;
}

int shellExecuteEx(lua_State* L)
{
    std::wstring file = scriptStringArg(L, 1), parameters = scriptStringArg(L, 2), verb = scriptStringArg(L, 3);
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = ULONG(scriptIntegerArg(L, 5));
    info.hwnd = nullptr;
    info.lpVerb = verb.empty() ? nullptr : verb.c_str();
    info.lpFile = file.c_str();
    info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
    info.lpDirectory = nullptr;
    info.nShow = int(scriptIntegerArg(L, 4));
    if (!ShellExecuteExW(&info)) {
        lua_pushboolean(L, 0);
        return 1;
    }
    lua_pushboolean(L, 1);
    if (!(info.fMask & SEE_MASK_NOCLOSEPROCESS))
        return 1;
    // The shell hands no process back when it reused a running one (a document opened by DDE).
    platform::UniqueHandle process(info.hProcess);
    if (!process)
        return 1;
    WaitForSingleObject(process.get(), INFINITE);
    DWORD code = 0;
    if (!GetExitCodeProcess(process.get(), &code))
        return 1;
    pushScriptInteger(L, code);
    return 2;
}

int isProcessRunning(lua_State* L)
{
    if (!isModuleRunning(scriptStringArg(L, 1)))
        return 0;
    lua_pushboolean(L, 1);
    return 1;
}

int getProcessPath(lua_State* L)
{
    std::wstring path = moduleFileName(GetCurrentProcess());
    if (path.empty())
        return 0;
    pushScriptString(L, path);
    return 1;
}

int getRunningProcess(lua_State* L)
{
    std::wstring text = SharedBlock::readText();
    if (text.empty())
        return 0;
    pushScriptString(L, text);
    return 1;
}

int killRunningProcess(lua_State* L)
{
    std::vector<std::wstring> entries = listEntries(SharedBlock::readText());
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
        platform::logStep(L"stopping the processes named " + *entry);
        terminateByExeNameNoWait(*entry);
    }
    terminateByExeNameNoWait(kApplicationExe);
    return 0;
}

int killProcessesByPath(lua_State* L)
{
    platform::logStep(L"stopping the processes run from " + scriptStringArg(L, 1));
    for (const std::wstring& path : listFiles(scriptStringArg(L, 1), L"*.exe")) {
        if (path.find(kMonitorExe) == std::wstring::npos)
            terminateFirstByModulePath(path);
    }
    terminateByExeName(kMonitorExe);
    terminateByExeName(kStreamExe);
    return 0;
}

} // namespace sysapi
