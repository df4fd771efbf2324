// Test guards for machine state the start-up reads: the "ShutdownTime" value and the restart marker.
#pragma once

#include <RestartMarker.h>

#include <windows.h>

#include <vector>

namespace testing_support {

// Saves HKLM "SYSTEM\CurrentControlSet\Control\Windows" "ShutdownTime" and puts it back (or
// removes it, when it was missing) on destruction; the marker file goes too.
class ShutdownTimeGuard {
public:
    ShutdownTimeGuard()
    {
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_READ | KEY_WRITE | KEY_WOW64_64KEY, nullptr,
                        &key_, nullptr);
        DWORD size = 0;
        if (key_ && RegQueryValueExW(key_, kValue, nullptr, &type_, nullptr, &size) == ERROR_SUCCESS) {
            saved_.resize(size);
            present_ = RegQueryValueExW(key_, kValue, nullptr, &type_, saved_.data(), &size) == ERROR_SUCCESS;
        }
        DeleteFileW(restartMarkerPath().c_str());
    }
    ~ShutdownTimeGuard()
    {
        if (present_)
            RegSetValueExW(key_, kValue, 0, type_, saved_.data(), DWORD(saved_.size()));
        else
            RegDeleteValueW(key_, kValue);
        RegCloseKey(key_);
        SetFileAttributesW(restartMarkerPath().c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(restartMarkerPath().c_str());
    }
    ShutdownTimeGuard(const ShutdownTimeGuard&) = delete;
    ShutdownTimeGuard& operator=(const ShutdownTimeGuard&) = delete;

    bool opened() const { return key_ != nullptr; }
    // What Windows does at every shut-down: a new 8-byte stamp.
    bool set(const std::vector<BYTE>& bytes, DWORD type = REG_BINARY)
    {
        return RegSetValueExW(key_, kValue, 0, type, bytes.data(), DWORD(bytes.size())) == ERROR_SUCCESS;
    }
    bool remove() { return RegDeleteValueW(key_, kValue) == ERROR_SUCCESS || !present(); }
    bool present() const { return RegQueryValueExW(key_, kValue, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS; }

private:
    static constexpr const wchar_t* kKey = L"SYSTEM\\CurrentControlSet\\Control\\Windows";
    static constexpr const wchar_t* kValue = L"ShutdownTime";
    HKEY key_ = nullptr;
    DWORD type_ = REG_BINARY;
    std::vector<BYTE> saved_;
    bool present_ = false;
};

inline bool markerExists()
{
    return GetFileAttributesW(restartMarkerPath().c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace testing_support
