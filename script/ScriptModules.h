// Lua modules compiled into the executable, offered to scripts through require.
#pragma once

struct lua_State;

#include <cstddef>

// The text of script/lua/registry.lua (the lua_* registry functions), embedded byte for byte at
// build time and followed by a NUL that the size does not count.
extern const char kRegistryModule[];
extern const size_t kRegistryModuleSize;

// Makes require "registry" load the compiled-in module.
void preloadScriptModules(lua_State* L);

// The standard libraries without any way to load code from disk through require: no C modules
// (package.cpath empty, package.loadlib gone, no C searchers) and no search path, whatever
// LUA_PATH or LUA_CPATH the environment holds. A state running with administrator rights would
// otherwise run a DLL or script planted where a search path points (the current folder is the
// install folder, or the user's Downloads).
void openScriptLibraries(lua_State* L);
