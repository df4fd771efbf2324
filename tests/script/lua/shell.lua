-- shellExecuteEx: results with and without waiting, failure, regsvr32.
local ok, code = shellExecuteEx(T.helper, "exit 7", "open", 0, 64)
T.eq(ok, true, "started and waited")
T.eq(code, 7, "the child's exit code")
T.eq(select("#", shellExecuteEx(T.helper, "exit 0", "open", 0, 64 + 1024)), 2, "two results with the wait bit")
T.eq(select("#", shellExecuteEx(T.helper, "exit 3", "", 0, 0)), 1, "one result without the wait bit")
T.eq(shellExecuteEx(T.helper, "exit 3", nil, 0, 0), true, "a missing verb is the default verb")
T.eq(shellExecuteEx(T.dir .. "missing.exe", "", "open", 0, 1024), false, "a missing program")
T.eq(select("#", shellExecuteEx(T.dir .. "missing.exe", "", "open", 0, 64 + 1024)), 1, "failure is one false")

local rok, rcode = shellExecuteEx("regsvr32", "/s " .. T.dir .. "none.dll", "open", 0, 64)
T.eq(rok, true, "regsvr32 started")
T.eq(type(rcode), "number", "regsvr32's exit code")
T.check(rcode ~= 0, "registering a missing module fails")

-- the environment set here reaches the processes started later
setEnvVar("ORVO_TEST_VALUE", "from the script")
shellExecuteEx("cmd.exe", "/c echo %ORVO_TEST_VALUE%>" .. T.dir .. "env.txt", "open", 0, 64)
local f = io.open(T.dir .. "env.txt", "rb")
T.eq(f and f:read("*a"):gsub("%s+$", ""), "from the script", "setEnvVar is inherited")
if f then f:close() end

-- system programs by full path, quoted; never started in the current folder (the scripts set it
-- to the install folder, where a planted DLL would be found first)
setCurrentDirectory(T.dir)
local cmd = '"' .. getSystemFolder() .. '\\cmd.exe"'
T.eq(shellExecuteEx(cmd, "/c cd>" .. T.dir .. "cwd.txt", "open", 0, 64), true, "a quoted full path starts")
local g = io.open(T.dir .. "cwd.txt", "rb")
local cwd = g and g:read("*a"):gsub("%s+$", "")
if g then g:close() end
T.eq(cwd and cwd:lower(), getSystemFolder():lower(), "a system program starts in its own folder")
shellExecuteEx("cmd.exe", "/c cd>" .. T.dir .. "cwd2.txt", "open", 0, 64)
g = io.open(T.dir .. "cwd2.txt", "rb")
cwd = g and g:read("*a"):gsub("%s+$", "")
if g then g:close() end
T.eq(cwd and cwd:lower(), getSystemFolder():lower(), "a bare name starts in System32, not the current folder")
