// System functions for registry values and keys, always in the native 64-bit view.
#include "SystemFunctions.h"

#include <platform/Handle.h>
#include <platform/StepLog.h>
#include "ScriptConvert.h"

#include <windows.h>
#include <shlwapi.h>

#include <cwchar>

namespace {

constexpr REGSAM kAccess = KEY_ALL_ACCESS | KEY_WOW64_64KEY;
constexpr DWORD kStringBufferBytes = 260;

// A root argument is the predefined handle as an integer (HKEY_CURRENT_USER and the others).
HKEY rootArg(lua_State* L, int index)
{
    return reinterpret_cast<HKEY>(static_cast<intptr_t>(scriptIntegerArg(L, index)));
}

bool openKey(lua_State* L, platform::RegKey& key)
{
    return RegOpenKeyExW(rootArg(L, 1), scriptStringArg(L, 2).c_str(), 0, kAccess, key.out()) == ERROR_SUCCESS;
}

bool createKey(lua_State* L, platform::RegKey& key)
{
    return RegCreateKeyExW(rootArg(L, 1), scriptStringArg(L, 2).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, kAccess,
                           nullptr, key.out(), nullptr) == ERROR_SUCCESS;
}

// "HKLM\Software\Key\Name" for the log; the default value shows as "(default)".
std::wstring valueName(lua_State* L)
{
    const HKEY root = rootArg(L, 1);
    const wchar_t* rootName = root == HKEY_LOCAL_MACHINE ? L"HKLM" : root == HKEY_CURRENT_USER ? L"HKCU"
                            : root == HKEY_CLASSES_ROOT ? L"HKCR" : root == HKEY_USERS ? L"HKU" : L"(root)";
    const std::wstring name = scriptStringArg(L, 3);
    return std::wstring(rootName) + L"\\" + scriptStringArg(L, 2) + L"\\" + (name.empty() ? L"(default)" : name);
}

void logWrite(lua_State* L, bool written, const std::wstring& value)
{
    if (platform::stepLogEnabled())
        platform::logStep((written ? L"registry value written: " : L"registry value NOT written: ") + valueName(L) +
                          L" = " + value);
}

} // namespace

namespace sysapi {

int regQueryString(lua_State* L)
{
    platform::RegKey key;
    if (!openKey(L, key))
        return 0;
    std::wstring name = scriptStringArg(L, 3);
    wchar_t buffer[kStringBufferBytes / sizeof(wchar_t)];
    DWORD type = 0, size = kStringBufferBytes;
    if (RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return 0;
    // The data need not carry its terminator: the text ends at the first zero or the data's end.
    size_t units = size / sizeof(wchar_t);
    pushScriptString(L, std::wstring(buffer, wcsnlen(buffer, units)));
    return 1;
}

int regQueryInteger(lua_State* L)
{
    platform::RegKey key;
    if (!openKey(L, key))
        return 0;
    std::wstring name = scriptStringArg(L, 3);
    DWORD value = 0, type = 0, size = sizeof(value);
    if (RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD)
        return 0;
    pushScriptInteger(L, value);
    return 1;
}

int regWriteString(lua_State* L)
{
    platform::RegKey key;
    if (!createKey(L, key))
        return 0;
    std::wstring name = scriptStringArg(L, 3), value = scriptStringArg(L, 4);
    const bool written = RegSetValueExW(key.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                        DWORD((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    logWrite(L, written, value);
    return 0;
}

int regWriteInteger(lua_State* L)
{
    platform::RegKey key;
    if (!createKey(L, key))
        return 0;
    std::wstring name = scriptStringArg(L, 3);
    DWORD value = DWORD(uint64_t(scriptIntegerArg(L, 4)) & 0xFFFFFFFFu);
    const bool written =
        RegSetValueExW(key.get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value)) == ERROR_SUCCESS;
    logWrite(L, written, std::to_wstring(value));
    return 0;
}

int regDeleteValue(lua_State* L)
{
    platform::RegKey key;
    if (openKey(L, key))
        RegDeleteValueW(key.get(), scriptStringArg(L, 3).c_str());
    return 0;
}

int regDeleteSubKey(lua_State* L)
{
    // An empty sub-key (a missing argument among them) would name the root itself and wipe
    // everything below it.
    std::wstring subKey = scriptStringArg(L, 2);
    if (subKey.find_first_not_of(L'\\') == std::wstring::npos)
        return 0;
    SHDeleteKeyW(rootArg(L, 1), subKey.c_str());
    return 0;
}

} // namespace sysapi
