// The global functions of the system API, grouped by concern in their own files.
#pragma once

#include <exception>

extern "C" {
#include <lua.h>
}

namespace sysapi {

// Wraps a binding so that no C++ exception (an allocation failure, in practice) can cross into the
// script runtime; the call then yields nothing, as every other failure does.
template <lua_CFunction F>
int guarded(lua_State* L)
{
    try {
        return F(L);
    } catch (...) {
        return 0;
    }
}

// files and folders (FileFunctions.cpp)
int removeFile(lua_State* L);
int moveFile(lua_State* L);
int copyFile(lua_State* L);
int removeDirectory(lua_State* L);
int createDirectory(lua_State* L);
int fileExists(lua_State* L);
int getAppDataFolder(lua_State* L);
int getProgramFolder(lua_State* L);
int getTempFolder(lua_State* L);
int getDesktopFolder(lua_State* L);
int getStartMenuFolder(lua_State* L);
int createShortCut(lua_State* L);
int volumeExists(lua_State* L);
int directoryEmpty(lua_State* L);
int setCurrentDirectory(lua_State* L);

// processes and the shell (ProcessFunctions.cpp)
int sleep(lua_State* L);
int killProcess(lua_State* L);
int shellExecuteEx(lua_State* L);
int isProcessRunning(lua_State* L);
int getProcessPath(lua_State* L);
int getRunningProcess(lua_State* L);
int killRunningProcess(lua_State* L);
int killProcessesByPath(lua_State* L);
int getSystemFolder(lua_State* L);
int shellExecuteAsUser(lua_State* L);

// registry (RegistryFunctions.cpp)
int regQueryString(lua_State* L);
int regQueryInteger(lua_State* L);
int regWriteString(lua_State* L);
int regWriteInteger(lua_State* L);
int regDeleteValue(lua_State* L);
int regDeleteSubKey(lua_State* L);

// operating system, restart and the installer's own state (OsFunctions.cpp)
int print(lua_State* L);
int reboot(lua_State* L);
int isWOW32(lua_State* L);
int showMessageBox(lua_State* L);
int markRestart(lua_State* L);
int releaseMutex(lua_State* L);
int setEnvVar(lua_State* L);
int isVista(lua_State* L);
int isWin8(lua_State* L);

} // namespace sysapi
