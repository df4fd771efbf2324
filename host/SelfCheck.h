// The installer's check of itself: its named resources against the digests the build stored beside them.
#pragma once

#include <windows.h>

#include <string>

// Why the resources of `module` are not those the build made: the digest resource missing or
// malformed, a named resource missing, of another size or with another SHA-256. Empty when whole.
// The slices are hashed on every core (up to 8 threads). `module` may be a module loaded as a data file.
std::wstring checkResources(HMODULE module);

// Why the executable file at `path` cannot be the whole program: unreadable, not a 64-bit PE file,
// shorter than its headers say (a copy cut short), or signed with bytes after the signature (data
// the signature does not cover). Empty when whole.
std::wstring checkImageFile(const std::wstring& path);

// Both, for the running executable: its file, then its resources. Reads only; touches nothing.
std::wstring checkInstaller();
