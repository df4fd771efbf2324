-- Every system function is a global, the roots have their handle values, print is the system's.
local names = {
    "sleep", "killProcess", "removeFile", "moveFile", "copyFile", "removeDirectory", "createDirectory",
    "shellExecuteEx", "fileExists", "print", "getAppDataFolder", "getProgramFolder", "getTempFolder",
    "getDesktopFolder", "getStartMenuFolder", "createShortCut", "reboot", "volumeExists", "directoryEmpty",
    "setCurrentDirectory", "isWOW32", "isProcessRunning", "showMessageBox", "getProcessPath",
    "regQueryString", "regQueryInteger", "regWriteString", "regWriteInteger", "regDeleteValue",
    "regDeleteSubKey", "markRestart", "releaseMutex", "setEnvVar", "isVista", "isWin8",
    "getRunningProcess", "killRunningProcess", "killProcessesByPath", "getSystemFolder", "shellExecuteAsUser",
}
T.eq(#names, 40, "function count")
for _, name in ipairs(names) do
    T.eq(type(_G[name]), "function", name)
end
T.eq(HKEY_CLASSES_ROOT, -2147483648, "HKEY_CLASSES_ROOT")
T.eq(HKEY_CURRENT_USER, -2147483647, "HKEY_CURRENT_USER")
T.eq(HKEY_LOCAL_MACHINE, -2147483646, "HKEY_LOCAL_MACHINE")
T.eq(HKEY_USERS, -2147483645, "HKEY_USERS")
-- the standard print would return nothing as well; the system one is a C function of its own
T.check(print ~= io.write, "print replaced")
T.eq(select("#", print("from the test")), 0, "print yields nothing")
T.eq(select("#", print()), 0, "print without text")
T.eq(isWOW32(), false, "a 64-bit system is not 32-bit Windows")
