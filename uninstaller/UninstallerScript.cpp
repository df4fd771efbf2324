// The uninstaller's own script functions and its reading of the command line.
#include "UninstallerScript.h"

#include <ExitCodes.h>
#include <ScriptConvert.h>

#include <windows.h>

extern "C" {
#include <lauxlib.h>
#include <lua.h>
}

UninstallerRun::UninstallerRun(std::wstring folder, const std::wstring& commandLine)
    : folder_(std::move(folder)), exitCode_(exitcode::kFailed)
{
    // FIXME: the installer's switch parser takes this over once it is shared
    silent_ = commandLine.find(L" /S") != std::wstring::npos;
    noRestart_ = commandLine.find(L" /NORESTART") != std::wstring::npos;
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
    OutputDebugStringW((L"Uninstaller: " + scriptStringArg(L, 1) + L"\n").c_str());
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
