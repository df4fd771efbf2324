// Restart marker path, the shut-down time stamp, and writing the marker.
#include "RestartMarker.h"

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

void writeRestartMarker()
{
    std::wstring path = restartMarkerPath();
    {
        platform::UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) {
            ShutdownStamp stamp = readShutdownTime();
            DWORD written = 0;
            WriteFile(file.get(), stamp.data(), DWORD(stamp.size()), &written, nullptr);
        }
    }
    MoveFileExW(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}
