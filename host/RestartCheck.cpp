// The restart-pending check: compares the marker's time stamp with the current one.
#include "RestartCheck.h"

#include <platform/Handle.h>
#include <LinkSafe.h>
#include <RestartMarker.h>

#include <windows.h>

bool isRestartPending()
{
    const std::wstring path = restartMarkerPath();
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        return false;

    // Opened itself: a link planted at the marker's place is stale and goes, its target stays.
    platform::UniqueHandle file = openItself(path, GENERIC_READ | DELETE);
    if (!file || isLink(file.get())) {
        removeRestartMarker();
        return false;
    }

    // The stamp changes at every shut-down, so a marker that still matches it was written since
    // the last one: the restart the installation asked for has not happened yet.
    ShutdownStamp marker{};
    DWORD read = 0;
    const bool pending = ReadFile(file.get(), marker.data(), DWORD(marker.size()), &read, nullptr) &&
                         read == marker.size() && marker == readShutdownTime();
    if (!pending)
        deleteByHandle(file.get());
    return pending;
}
