// The UI script state: its creation, and running a named script file in it.
#pragma once

struct lua_State;

// The UI thread's script state; null before createUiScriptState and after runScriptFile.
extern lua_State* uiScriptState;

// Builds a state with the standard libraries, the system API and startWork; stores it through `state`.
// Returns 1.
int createUiScriptState(lua_State** state);

// Reads `name` through the current file system, runs it protected and closes the state; load and
// run errors end in one "错误" box. Afterwards *state is null. Returns true when the script ran
// to its end.
bool runScriptFile(lua_State** state, const wchar_t* name);

// Loads a script's text (NUL-terminated) as a chunk named by its text, the library's usual form
// for error positions; a precompiled chunk is refused, whatever its bytes. LUA_OK or the error.
int loadScriptText(lua_State* L, const char* text);
