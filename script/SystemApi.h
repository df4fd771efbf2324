// Registration of the system API: the global functions every script state of the installer sees.
#pragma once

struct lua_State;

// Sets the thirty-eight system functions as globals in one step, in their fixed order, then the
// four registry root globals. Call after luaL_openlibs: the system `print` replaces the standard
// one. Used for the UI state and for the worker state alike; the functions keep no per-state data.
void registerSystemApi(lua_State* L);
