-- Process checks and termination of helper copies started here. T.victims holds a folder with
-- copies of the helper: a.exe, b.exe and nubmon.exe; T.elsewhere one more nubmon.exe.
local v = T.victims
local terminated = 4294967288   -- 0xFFFFFFF8

local a = T.spawn(v .. "a.exe", "wait")
T.check(a, "helper started")
sleep(300)
T.eq(isProcessRunning(v .. "a.exe"), true, "a running helper")
T.eq(isProcessRunning(v:upper() .. "A.EXE"), true, "letter case is ignored")
T.eq(select("#", isProcessRunning(v .. "b.exe")), 0, "nothing running there: no result at all")
T.eq(select("#", isProcessRunning("")), 0, "an empty path matches nothing")

T.eq(select("#", killProcess(v .. "a.exe")), 0, "killProcess yields nothing")
T.eq(T.exitCode(a, 5000), terminated, "killProcess stopped the helper with -8")
T.eq(isProcessRunning(v .. "a.exe"), nil, "no longer running")
killProcess(v .. "a.exe")   -- nothing to stop: silent

local a1, a2 = T.spawn(v .. "a.exe", "wait"), T.spawn(v .. "a.exe", "wait")
local b = T.spawn(v .. "b.exe", "wait")
local mon = T.spawn(v .. "nubmon.exe", "wait")
local monElsewhere = T.spawn(T.elsewhere .. "nubmon.exe", "wait")
sleep(300)
killProcessesByPath(v)
-- one process per listed executable; every nubmon.exe of this folder, and none of another
local stopped = 0
for _, pid in ipairs({a1, a2}) do
    if T.exitCode(pid, 0) == terminated then stopped = stopped + 1 end
end
T.eq(stopped, 1, "the first process of a.exe only")
T.eq(T.exitCode(b, 5000), terminated, "b.exe stopped")
T.eq(T.exitCode(mon, 5000), terminated, "nubmon.exe stopped")
T.eq(T.exitCode(monElsewhere, 300), nil, "a same-named program of another folder is never stopped")

-- neither an empty folder nor an empty string stops anything by name
killProcessesByPath(T.dir .. "empty")
killProcessesByPath("")
T.eq(T.exitCode(monElsewhere, 300), nil, "still running")
