// System functions for the operating system: version, environment, messages, restart, the mutex.
#include "SystemFunctions.h"

#include <platform/Handle.h>
#include "InstallerMutex.h"
#include "RestartMarker.h"
#include "ScriptConvert.h"
#include "SystemShutdown.h"

#include <MessageBox.h>

#include <windows.h>

#include <string>

namespace {

constexpr wchar_t kRebootFailed[] = L"重启电脑失败，原因：%d。 请手动重启电脑。";
constexpr wchar_t kRebootNoPrivilege[] = L"重启电脑失败，原因：提升权限失败。请手动重启电脑。";

bool windowsVersion(OSVERSIONINFOW& info)
{
    info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    return GetVersionExW(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

void enableShutdownPrivilege(HANDLE token)
{
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid))
        AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
}

void showRebootFailure(const std::wstring& text)
{
    // No caption of its own: the platform's default one.
    showMessageBox(nullptr, text.c_str(), nullptr, MB_OK);
}

} // namespace

namespace sysapi {

int print(lua_State* L)
{
    OutputDebugStringW(scriptStringArg(L, 1).c_str());
    return 0;
}

int reboot(lua_State* L)
{
    SystemShutdownCalls calls = systemShutdownCalls();
    HANDLE rawToken = nullptr;
    if (!calls.openProcessToken(TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &rawToken)) {
        showRebootFailure(kRebootNoPrivilege);
        return 0;
    }
    platform::UniqueHandle token(rawToken);
    enableShutdownPrivilege(token.get());
    if (calls.exitWindows(EWX_REBOOT | EWX_FORCE,
                          SHTDN_REASON_MAJOR_APPLICATION | SHTDN_REASON_MINOR_INSTALLATION | SHTDN_REASON_FLAG_PLANNED))
        return 0;   // the shut-down goes on without us
    std::wstring text = kRebootFailed;
    text.replace(text.find(L"%d"), 2, std::to_wstring(GetLastError()));
    showRebootFailure(text);
    return 0;
}

int isWOW32(lua_State* L)
{
    wchar_t folder[MAX_PATH];
    lua_pushboolean(L, GetSystemWow64DirectoryW(folder, MAX_PATH) == 0 && GetLastError() == ERROR_CALL_NOT_IMPLEMENTED);
    return 1;
}

int showMessageBox(lua_State* L)
{
    std::wstring text = scriptStringArg(L, 1), caption = scriptStringArg(L, 2);
    int pressed = ::showMessageBox(nullptr, text.c_str(), caption.c_str(), UINT(scriptIntegerArg(L, 3)));
    pushScriptInteger(L, pressed);
    return 1;
}

int markRestart(lua_State* L)
{
    writeRestartMarker();
    return 0;
}

int releaseMutex(lua_State* L)
{
    releaseInstallerMutex();
    return 0;
}

int setEnvVar(lua_State* L)
{
    std::wstring name = scriptStringArg(L, 1), value = scriptStringArg(L, 2);
    SetEnvironmentVariableW(name.c_str(), value.c_str());
    return 0;
}

int isVista(lua_State* L)
{
    OSVERSIONINFOW info;
    lua_pushboolean(L, windowsVersion(info) && info.dwMajorVersion >= 6);
    return 1;
}

int isWin8(lua_State* L)
{
    // Version 6.2 or later: a later major version counts whatever its minor number is.
    OSVERSIONINFOW info;
    bool win8 = windowsVersion(info) &&
                (info.dwMajorVersion > 6 || (info.dwMajorVersion == 6 && info.dwMinorVersion >= 2));
    lua_pushboolean(L, win8);
    return 1;
}

} // namespace sysapi
