// System functions for processes, the shell and the shared process list.
#include "SystemFunctions.h"

#include "FileTree.h"
#include <platform/Handle.h>
#include <platform/StepLog.h>
#include "ProcessTermination.h"
#include "ScriptConvert.h"
#include "SharedBlock.h"
#include "ShellLaunch.h"

#include <windows.h>
#include <shellapi.h>

#include <vector>

namespace {

// Executables of the application stopped in the install folder besides those listed there.
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

// A program given by its full path, quoted or not, is that path.
std::wstring unquoted(std::wstring file)
{
    if (file.size() >= 2 && file.front() == L'"' && file.back() == L'"')
        file = file.substr(1, file.size() - 2);
    return file;
}

// A program by full path starts in its own folder; anything else (a bare name, a web address)
// in System32. Never in the current folder, which the scripts set to the install folder: a
// system program started there would look for its DLLs among the files being installed.
std::wstring workingFolderFor(const std::wstring& file)
{
    const bool absolute = file.size() > 2 && ((file[1] == L':' && (file[2] == L'\\' || file[2] == L'/')) ||
                                              file.compare(0, 2, L"\\\\") == 0);
    size_t slash = file.find_last_of(L"\\/");
    return absolute && slash != std::wstring::npos ? file.substr(0, slash + 1) : systemFolder() + L"\\";
}

std::wstring inFolder(std::wstring folder, const wchar_t* name)
{
    if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/')
        folder += L'\\';
    return folder + name;
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
    std::wstring file = unquoted(scriptStringArg(L, 1)), parameters = scriptStringArg(L, 2), verb = scriptStringArg(L, 3);
    const std::wstring directory = workingFolderFor(file);
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = ULONG(scriptIntegerArg(L, 5));
    info.hwnd = nullptr;
    info.lpVerb = verb.empty() ? nullptr : verb.c_str();
    info.lpFile = file.c_str();
    info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
    info.lpDirectory = directory.c_str();
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

int getSystemFolder(lua_State* L)
{
    pushScriptString(L, systemFolder());
    return 1;
}

int shellExecuteAsUser(lua_State* L)
{
    std::wstring file = unquoted(scriptStringArg(L, 1)), parameters = lua_isstring(L, 2) ? scriptStringArg(L, 2) : L"";
    lua_pushboolean(L, launchUnelevated(file, parameters, workingFolderFor(file)) != LaunchRoute::failed);
    return 1;
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

// The shared list as far as it names the product's own executables in the install folder (the
// argument), each followed by ";"; the list shown to the user is exactly the list stopped.
static std::vector<std::wstring> listedExecutables(lua_State* L)
{
    if (lua_type(L, 1) != LUA_TSTRING)
        return {};
    return productExecutables(scriptStringArg(L, 1), listEntries(SharedBlock::readText()));
}

int getRunningProcess(lua_State* L)
{
    std::wstring text;
    for (const std::wstring& path : listedExecutables(L))
        text += path + L";";
    if (text.empty())
        return 0;
    pushScriptString(L, text);
    return 1;
}

int killRunningProcess(lua_State* L)
{
    std::vector<std::wstring> paths = listedExecutables(L);
    for (auto path = paths.rbegin(); path != paths.rend(); ++path) {
        platform::logStep(L"stopping " + *path);
        terminateByModulePathNoWait(*path);
    }
    if (lua_type(L, 1) == LUA_TSTRING)
        terminateByModulePathNoWait(inFolder(scriptStringArg(L, 1), kApplicationExe));
    return 0;
}

int killProcessesByPath(lua_State* L)
{
    std::wstring folder = scriptStringArg(L, 1);
    platform::logStep(L"stopping the processes run from " + folder);
    for (const std::wstring& path : listFiles(folder, L"*.exe")) {
        if (path.find(kMonitorExe) == std::wstring::npos)
            terminateFirstByModulePath(path);
    }
    if (folder.empty())
        return 0;
    terminateByModulePath(inFolder(folder, kMonitorExe));
    terminateByModulePath(inFolder(folder, kStreamExe));
    return 0;
}

} // namespace sysapi
