-- Special folders: record them for the test to compare; none ends with a separator but temp.
for _, name in ipairs({"getAppDataFolder", "getProgramFolder", "getDesktopFolder", "getStartMenuFolder",
                       "getTempFolder", "getProcessPath"}) do
    local value = _G[name]()
    T.eq(type(value), "string", name)
    T.record(name, value)
end
T.check(getTempFolder():sub(-1) == "\\", "the temp folder ends with a backslash")
for _, name in ipairs({"getAppDataFolder", "getProgramFolder", "getDesktopFolder", "getStartMenuFolder"}) do
    T.check(_G[name]():sub(-1) ~= "\\", name .. " has no trailing separator")
end
