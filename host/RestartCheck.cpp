// The restart-pending check: compares the marker's time stamp with the current one.
#include "RestartCheck.h"

#include <platform/Handle.h>
#include <RestartMarker.h>

#include <windows.h>

bool isRestartPending()
{
    const std::wstring path = restartMarkerPath();
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        return false;

    platform::UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        DeleteFileW(path.c_str());
        return false;
    }

    // The stamp changes at every shut-down, so a marker that still matches it was written since
    // the last one: the restart the installation asked for has not happened yet.
    ShutdownStamp marker{};
    DWORD read = 0;
    if (!ReadFile(file.get(), marker.data(), DWORD(marker.size()), &read, nullptr) || read < marker.size()) {
        file.reset();
        DeleteFileW(path.c_str());
        return false;
    }
    const bool pending = marker == readShutdownTime();
    file.reset();
    if (!pending)
        DeleteFileW(path.c_str());
    return pending;
}
