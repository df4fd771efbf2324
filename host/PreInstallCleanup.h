// Pre-install cleanup: the application's background processes, its data folder, old shortcuts.
#pragma once

#include <functional>
#include <optional>
#include <string>

// Resolves a CSIDL value to its folder without a trailing separator; empty when it cannot.
using SpecialFolderLookup = std::function<std::optional<std::wstring>(int csidl)>;

// SHGetSpecialFolderPathW with the create flag off.
std::optional<std::wstring> systemSpecialFolder(int csidl);

// The three steps in their order: stop the processes named after the executables in the roaming
// application data's "\Nubelo\codecs\" and every "nubmon.exe"; delete "\Nubelo\" there, read-only
// files included; delete "\OrvoPelora\" in the all-users Startup folder, leaving read-only files.
// A folder that does not resolve skips its steps. Everything is silent.
void runPreInstallCleanup(const SpecialFolderLookup& lookup = systemSpecialFolder);
