// The uninstaller's own addition to its UI script's globals: the install folder it works on.
#pragma once

#include <string>

struct lua_State;

// Sets uninstallFolder() -> the install folder, with its trailing "\". `folder` must outlive the
// script state.
void registerUninstallerFunctions(lua_State* L, const std::wstring* folder);
