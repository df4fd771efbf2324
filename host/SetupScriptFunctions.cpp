// The UI script's view of the run's switches, its log and its exit code.
#include "SetupScriptFunctions.h"

#include <ScriptConvert.h>
#include <SystemFunctions.h>
#include <platform/StepLog.h>

#include <optional>

extern "C" {
#include <lua.h>
}

namespace {

// UI thread only, like the script state that reads them.
SetupOptions runOptions;
std::optional<int> exitCode;

int getSetupOptions(lua_State* L)
{
    lua_createtable(L, 0, 5);
    lua_pushboolean(L, runOptions.silent);
    lua_setfield(L, -2, "silent");
    pushScriptString(L, runOptions.folder);
    lua_setfield(L, -2, "folder");
    pushScriptString(L, runOptions.logPath);
    lua_setfield(L, -2, "log");
    lua_pushboolean(L, runOptions.noRestart);
    lua_setfield(L, -2, "noRestart");
    lua_pushboolean(L, runOptions.autostart);
    lua_setfield(L, -2, "autostart");
    return 1;
}

int setExitCode(lua_State* L)
{
    exitCode = int(scriptIntegerArg(L, 1));
    return 0;
}

int writeLog(lua_State* L)
{
    platform::logStep(scriptStringArg(L, 1));
    return 0;
}

} // namespace

void registerSetupFunctions(lua_State* L, const SetupOptions& options)
{
    runOptions = options;
    exitCode.reset();
    lua_pushcfunction(L, sysapi::guarded<getSetupOptions>);
    lua_setglobal(L, "getSetupOptions");
    lua_pushcfunction(L, sysapi::guarded<setExitCode>);
    lua_setglobal(L, "setExitCode");
    lua_pushcfunction(L, sysapi::guarded<writeLog>);
    lua_setglobal(L, "writeLog");
}

int scriptExitCode(int fallback)
{
    return exitCode.value_or(fallback);
}
