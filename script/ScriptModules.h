// Lua modules compiled into the executable, offered to scripts through require.
#pragma once

struct lua_State;

// The text of script/lua/registry.lua: the lua_* registry functions and the `event` table.
extern const char kRegistryModule[];

// Makes require "registry" load the compiled-in module.
void preloadScriptModules(lua_State* L);
