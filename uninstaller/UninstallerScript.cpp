// The uninstaller's own script function; the switches, the log and the exit code are the
// installer's (getSetupOptions, writeLog, setExitCode).
#include "UninstallerScript.h"

#include <ScriptConvert.h>

extern "C" {
#include <lua.h>
}

namespace {

int uninstallFolder(lua_State* L)
{
    pushScriptString(L, *static_cast<const std::wstring*>(lua_touserdata(L, lua_upvalueindex(1))));
    return 1;
}

} // namespace

void registerUninstallerFunctions(lua_State* L, const std::wstring* folder)
{
    lua_pushlightuserdata(L, const_cast<std::wstring*>(folder));
    lua_pushcclosure(L, uninstallFolder, 1);
    lua_setglobal(L, "uninstallFolder");
}
