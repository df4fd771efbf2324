// What the UI script needs to run one flow with two faces: the switches, the log and the exit code.
#pragma once

#include "SetupOptions.h"

struct lua_State;

// Sets the globals of the UI state: getSetupOptions() -> {silent, folder, log, noRestart,
// autostart} (folder and log are "" when not given), setExitCode(code) for the process's exit
// code, and writeLog(text) for one line of the setup log (nothing without /LOG). `options` is
// copied.
void registerSetupFunctions(lua_State* L, const SetupOptions& options);

// The code the script last set; `fallback` when it set none since registerSetupFunctions.
int scriptExitCode(int fallback);
