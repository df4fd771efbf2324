// The uninstaller's own script functions and its reading of the command line.
#include "UninstallerScript.h"

#include <ExitCodes.h>
#include <MessageBox.h>
#include <ScriptConvert.h>
#include <SetupLog.h>
#include <SetupOptions.h>

#include <windows.h>

extern "C" {
#include <lauxlib.h>
#include <lua.h>
}

namespace {

constexpr wchar_t kErrorTitle[] = L"错误";
constexpr wchar_t kUsageTitle[] = L"Pelora卸载程序";

} // namespace

UninstallerRun::UninstallerRun(std::wstring folder, const std::wstring& commandLine)
    : folder_(std::move(folder)), exitCode_(exitcode::kFailed)
{
    SetupOptions options = parseSetupOptions(commandLine, kUninstallerSwitches);
    silent_ = options.silent;
    noRestart_ = options.noRestart;
    // the log first, so a refused command line is logged as well
    if (!options.logPath.empty() && !setupLog().open(options.logPath))
        OutputDebugStringW((L"Uninstaller: no log at " + options.logPath + L"\n").c_str());
    setupLog().write(L"uninstaller: " + commandLine);
    if (!options.error.empty()) {
        setupLog().write(L"refused: " + options.error);
        if (!silent_)
            showMessageBox(nullptr, (options.error + L"\n\n" + setupUsageText(kUninstallerSwitches)).c_str(),
                           kErrorTitle, MB_OK | MB_ICONEXCLAMATION);
        refusal_ = exitcode::kBadArguments;
    } else if (options.showUsage) {
        if (!silent_)
            showMessageBox(nullptr, setupUsageText(kUninstallerSwitches).c_str(), kUsageTitle, MB_OK | MB_ICONINFORMATION);
        // nothing is removed; nothing went wrong either
        refusal_ = -1;
    }
}

UninstallerRun* UninstallerRun::self(lua_State* L)
{
    return static_cast<UninstallerRun*>(lua_touserdata(L, lua_upvalueindex(1)));
}

int UninstallerRun::uninstallFolder(lua_State* L)
{
    pushScriptString(L, self(L)->folder_);
    return 1;
}

int UninstallerRun::isSilent(lua_State* L)
{
    lua_pushboolean(L, self(L)->silent_);
    return 1;
}

int UninstallerRun::isNoRestart(lua_State* L)
{
    lua_pushboolean(L, self(L)->noRestart_);
    return 1;
}

int UninstallerRun::writeLog(lua_State* L)
{
    setupLog().write(scriptStringArg(L, 1));
    return 0;
}

int UninstallerRun::setExitCode(lua_State* L)
{
    self(L)->exitCode_ = int(scriptIntegerArg(L, 1));
    return 0;
}

void UninstallerRun::registerFunctions(lua_State* L)
{
    const luaL_Reg functions[] = {
        {"uninstallFolder", uninstallFolder},
        {"isSilent", isSilent},
        {"isNoRestart", isNoRestart},
        {"writeLog", writeLog},
        {"setExitCode", setExitCode},
        {nullptr, nullptr},
    };
    lua_pushglobaltable(L);
    lua_pushlightuserdata(L, this);
    luaL_setfuncs(L, functions, 1);
    lua_pop(L, 1);
}
