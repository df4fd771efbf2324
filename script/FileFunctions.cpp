// System functions for files, folders, special folders and shortcuts.
#include "SystemFunctions.h"

#include "FileTree.h"
#include "ScriptConvert.h"

#include <platform/Com.h>
#include <platform/StepLog.h>

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shlwapi.h>

namespace {

bool isFolder(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int pushSpecialFolder(lua_State* L, int csidl)
{
    wchar_t path[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathW(nullptr, path, csidl, TRUE))
        return 0;
    pushScriptString(L, path);
    return 1;
}

bool createShellLink(const std::wstring& target, const std::wstring& shortcut)
{
    platform::ComScope com;
    platform::ComPtr<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.outVoid())))
        return false;
    link->SetPath(target.c_str());
    platform::ComPtr<IPersistFile> file = link.query<IPersistFile>(IID_IPersistFile);
    if (!file)
        return false;
    return SUCCEEDED(file->Save(shortcut.c_str(), TRUE));
}

} // namespace

namespace sysapi {

int removeFile(lua_State* L)
{
    std::wstring path = scriptStringArg(L, 1);
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesW(path.c_str(), attributes & ~DWORD(FILE_ATTRIBUTE_READONLY));
    lua_pushboolean(L, DeleteFileW(path.c_str()) != 0);
    return 1;
}

int moveFile(lua_State* L)
{
    std::wstring from = scriptStringArg(L, 1), to = scriptStringArg(L, 2);
    lua_pushboolean(L, MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED) != 0);
    return 1;
}

int copyFile(lua_State* L)
{
    std::wstring from = scriptStringArg(L, 1), to = scriptStringArg(L, 2);
    lua_pushboolean(L, CopyFileW(from.c_str(), to.c_str(), FALSE) != 0);
    return 1;
}

int removeDirectory(lua_State* L)
{
    deleteTree(scriptStringArg(L, 1), true);
    return 0;
}

int createDirectory(lua_State* L)
{
    const std::wstring folder = toBackslashes(scriptStringArg(L, 1));
    const bool existed = isFolder(folder);
    createDirectoryChain(folder);
    // What the caller needs is the folder, made now or before: a chain that failed half-way, a
    // file in the way or a missing drive leave none.
    const bool exists = isFolder(folder);
    if (!existed)
        platform::logStep((exists ? L"folder made: " : L"folder could not be made: ") + folder);
    lua_pushboolean(L, exists);
    return 1;
}

int fileExists(lua_State* L)
{
    DWORD attributes = GetFileAttributesW(scriptStringArg(L, 1).c_str());
    lua_pushboolean(L, attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY));
    return 1;
}

int getAppDataFolder(lua_State* L)
{
    return pushSpecialFolder(L, CSIDL_APPDATA);
}

int getProgramFolder(lua_State* L)
{
    return pushSpecialFolder(L, CSIDL_PROGRAM_FILES);
}

int getDesktopFolder(lua_State* L)
{
    return pushSpecialFolder(L, CSIDL_COMMON_DESKTOPDIRECTORY);
}

int getStartMenuFolder(lua_State* L)
{
    // The all-users Startup folder, not the Start menu: the scripts of the family rely on it.
    return pushSpecialFolder(L, CSIDL_COMMON_STARTUP);
}

int getTempFolder(lua_State* L)
{
    wchar_t path[MAX_PATH] = {};
    DWORD length = GetTempPathW(MAX_PATH, path);
    if (length == 0 || length >= MAX_PATH)
        return 0;
    pushScriptString(L, std::wstring(path, length));
    return 1;
}

int createShortCut(lua_State* L)
{
    lua_pushboolean(L, createShellLink(scriptStringArg(L, 1), scriptStringArg(L, 2)));
    return 1;
}

int volumeExists(lua_State* L)
{
    lua_pushboolean(L, GetDriveTypeW(scriptStringArg(L, 1).c_str()) == DRIVE_FIXED);
    return 1;
}

int directoryEmpty(lua_State* L)
{
    std::wstring path = scriptStringArg(L, 1);
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        lua_pushboolean(L, 1);
        return 1;
    }
    lua_pushboolean(L, PathIsDirectoryEmptyW(path.c_str()) != 0);
    return 1;
}

int setCurrentDirectory(lua_State* L)
{
    SetCurrentDirectoryW(scriptStringArg(L, 1).c_str());
    return 0;
}

} // namespace sysapi
