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
