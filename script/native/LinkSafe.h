// Opening and deleting in folders other programs can write, without ever following a link.
#pragma once

#include <platform/Handle.h>

#include <string>

// A program of the user can turn any level of a path in %APPDATA% or %TEMP% into a symbolic link
// or junction, between the moment the installer looks and the moment it acts. These helpers open
// every item itself (FILE_FLAG_OPEN_REPARSE_POINT), check what the handle really is, and act on
// the handle, so the elevated installer never deletes or writes where a link points.

// Opens `path` itself, never what a link there points to, for `access` (attribute access is always
// added); folders too. Empty when nothing can be opened. With DELETE among `access`, other
// programs may read and write but not delete or rename it while the handle is held.
platform::UniqueHandle openItself(const std::wstring& path, DWORD access);

// True when the handle is a symbolic link, a junction or any other reparse point.
bool isLink(HANDLE item);

// The path the handle really names ("\\?\" and any short names resolved away), empty on failure.
std::wstring finalPath(HANDLE item);

// True when the opened item is no link and its final path is `path` made absolute (letter case
// ignored, "/" read as "\", trailing separators dropped): no level on the way is a link either.
bool liesAt(HANDLE item, const std::wstring& path);

// True when `path` is a folder, not a link, and reached through no link at any level: its final
// path is the path itself (letter case ignored, "/" read as "\", trailing separators dropped).
bool isPlainFolder(const std::wstring& path);

// Marks the opened item for deletion when the handle closes. False when it cannot be deleted.
bool deleteByHandle(HANDLE item);
