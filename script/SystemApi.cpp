// The system API's function table and the registry root globals.
#include "SystemApi.h"

#include "JournalFunctions.h"
#include "ScriptConvert.h"
#include "SystemFunctions.h"

extern "C" {
#include <lauxlib.h>
}

namespace {

using namespace sysapi;

// The order is part of the interface: scripts of the family were written against it.
const luaL_Reg kSystemFunctions[] = {
    {"sleep", guarded<sysapi::sleep>},
    {"killProcess", guarded<killProcess>},
    {"removeFile", guarded<removeFile>},
    {"moveFile", guarded<moveFile>},
    {"copyFile", guarded<copyFile>},
    {"removeDirectory", guarded<removeDirectory>},
    {"createDirectory", guarded<createDirectory>},
    {"shellExecuteEx", guarded<shellExecuteEx>},
    {"fileExists", guarded<fileExists>},
    {"print", guarded<print>},
    {"getAppDataFolder", guarded<getAppDataFolder>},
    {"getProgramFolder", guarded<getProgramFolder>},
    {"getTempFolder", guarded<getTempFolder>},
    {"getDesktopFolder", guarded<getDesktopFolder>},
    {"getStartMenuFolder", guarded<getStartMenuFolder>},
    {"createShortCut", guarded<createShortCut>},
    {"reboot", guarded<reboot>},
    {"volumeExists", guarded<volumeExists>},
    {"directoryEmpty", guarded<directoryEmpty>},
    {"setCurrentDirectory", guarded<setCurrentDirectory>},
    {"isWOW32", guarded<isWOW32>},
    {"isProcessRunning", guarded<isProcessRunning>},
    {"showMessageBox", guarded<sysapi::showMessageBox>},
    {"getProcessPath", guarded<getProcessPath>},
    {"regQueryString", guarded<regQueryString>},
    {"regQueryInteger", guarded<regQueryInteger>},
    {"regWriteString", guarded<regWriteString>},
    {"regWriteInteger", guarded<regWriteInteger>},
    {"regDeleteValue", guarded<regDeleteValue>},
    {"regDeleteSubKey", guarded<regDeleteSubKey>},
    {"markRestart", guarded<markRestart>},
    {"releaseMutex", guarded<releaseMutex>},
    {"setEnvVar", guarded<setEnvVar>},
    {"isVista", guarded<isVista>},
    {"isWin8", guarded<isWin8>},
    {"getRunningProcess", guarded<getRunningProcess>},
    {"killRunningProcess", guarded<killRunningProcess>},
    {"killProcessesByPath", guarded<killProcessesByPath>},
    {"getSystemFolder", guarded<getSystemFolder>},
    {"shellExecuteAsUser", guarded<shellExecuteAsUser>},
    {nullptr, nullptr},
};

// The predefined root keys as scripts see them: the 32-bit handle values sign-extended, which is
// also what the integer conversion turns back into the 64-bit handle.
struct RootKey {
    const char* name;
    int64_t value;
};
const RootKey kRootKeys[] = {
    {"HKEY_CLASSES_ROOT", -2147483648LL},
    {"HKEY_CURRENT_USER", -2147483647LL},
    {"HKEY_LOCAL_MACHINE", -2147483646LL},
    {"HKEY_USERS", -2147483645LL},
};

} // namespace

void registerSystemApi(lua_State* L)
{
    lua_pushglobaltable(L);
    luaL_setfuncs(L, kSystemFunctions, 0);
    for (const RootKey& root : kRootKeys) {
        pushScriptInteger(L, root.value);
        lua_setfield(L, -2, root.name);
    }
    lua_pop(L, 1);
    registerJournalApi(L);
}
