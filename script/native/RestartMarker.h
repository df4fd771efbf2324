// The restart marker: a file in the temporary folder holding the shut-down time stamp of its day.
#pragma once

#include <array>
#include <cstdint>
#include <string>

using ShutdownStamp = std::array<uint8_t, 8>;

// The temporary folder followed by "\nubelo_restart"; the doubled backslash is accepted by the
// file functions.
std::wstring restartMarkerPath();

// "ShutdownTime" under HKLM "SYSTEM\CurrentControlSet\Control\Windows" in the native view; all
// zero when the key or the value is missing or the value is not 8 bytes long.
ShutdownStamp readShutdownTime();

// Deletes whatever is at the marker path as itself: a link goes, its target stays.
void removeRestartMarker();

// Writes the current stamp to a newly created marker (anything at the path, a link included, is
// removed first; nothing is written unless the new file lies directly in the temporary folder) and schedules the marker's deletion at
// the next boot, whether or not the file could be written. Failures are silent.
void writeRestartMarker();
