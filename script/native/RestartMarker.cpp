// Restart marker path, the shut-down time stamp, and writing the marker.
#include "RestartMarker.h"

#include "LinkSafe.h"

#include <platform/Handle.h>

#include <windows.h>

std::wstring restartMarkerPath()
{
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    return std::wstring(temp) + L"\\nubelo_restart";
}

ShutdownStamp readShutdownTime()
{
    ShutdownStamp stamp{};
    platform::RegKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Windows", 0,
                      KEY_READ | KEY_WOW64_64KEY, key.out()) != ERROR_SUCCESS)
        return stamp;
    ShutdownStamp value{};
    DWORD size = DWORD(value.size());
    if (RegQueryValueExW(key.get(), L"ShutdownTime", nullptr, nullptr, value.data(), &size) == ERROR_SUCCESS &&
        size == value.size())
        stamp = value;
    return stamp;
}

namespace {

// True when `marker`, just opened itself, is a plain file with one name, directly in a temporary
// folder that is no link: then writing it cannot land anywhere else.
bool markerIsItself(HANDLE marker)
{
    BY_HANDLE_FILE_INFORMATION info{};
    if (isLink(marker) || !GetFileInformationByHandle(marker, &info) || info.nNumberOfLinks != 1 ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    platform::UniqueHandle folder = openItself(temp, 0);
    if (!folder || !liesAt(folder.get(), temp))
        return false;
    const std::wstring expected = finalPath(folder.get()) + L"\\nubelo_restart";
    const std::wstring real = finalPath(marker);
    return CompareStringOrdinal(real.c_str(), int(real.size()), expected.c_str(), int(expected.size()), TRUE) == CSTR_EQUAL;
}

} // namespace

void removeRestartMarker()
{
    platform::UniqueHandle old = openItself(restartMarkerPath(), DELETE);
    if (old)
        deleteByHandle(old.get());
}

void writeRestartMarker()
{
    std::wstring path = restartMarkerPath();
    // Whatever is there (a link another program planted included) goes first, as itself; the
    // marker is then created new and never opened through a link.
    removeRestartMarker();
    {
        platform::UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE | DELETE | FILE_READ_ATTRIBUTES, 0, nullptr,
                                                CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        if (file && markerIsItself(file.get())) {
            ShutdownStamp stamp = readShutdownTime();
            DWORD written = 0;
            WriteFile(file.get(), stamp.data(), DWORD(stamp.size()), &written, nullptr);
        } else if (file) {
            deleteByHandle(file.get());
        }
    }
    MoveFileExW(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}
