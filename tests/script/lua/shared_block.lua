-- The shared process list: absent, then filled by another process (T.fill says which). Only
-- the product's executables in the install folder (T.victims) count; the list shown is the list
-- stopped.
if T.fill == nil then
    T.eq(select("#", getRunningProcess(T.dir)), 0, "no list: no result")
    T.eq(select("#", killRunningProcess(T.dir)), 0, "no list: killRunningProcess is silent")
    T.eq(select("#", getRunningProcess(T.dir)), 0, "still empty after our own open")
    return
end

local filler = T.spawn(T.helper, 'fill "' .. T.fill .. '" ' .. T.dir .. "ready " .. T.dir .. "stop")
for _ = 1, 100 do
    if fileExists(T.dir .. "ready") then break end
    sleep(100)
end
T.eq(fileExists(T.dir .. "ready"), true, "the filler is ready")
T.eq(getRunningProcess(T.victims), T.victims .. "listed.exe;" .. T.victims .. "other.exe;",
     "the listed names found in the install folder, each as its path there")
T.eq(select("#", getRunningProcess()), 0, "without an install folder the list names nothing")

local victim = T.spawn(T.victims .. "listed.exe", "wait")
local other = T.spawn(T.victims .. "other.exe", "wait")
local unlisted = T.spawn(T.victims .. "unlisted.exe", "wait")
local outside = T.spawn(T.elsewhere .. "explorer.exe", "wait")
local sameName = T.spawn(T.elsewhere .. "other.exe", "wait")
sleep(300)
killRunningProcess()
T.eq(T.exitCode(victim, 300), nil, "without an install folder nothing is stopped")
killRunningProcess(T.victims)
T.eq(T.exitCode(victim, 5000), 0, "a listed path's process stopped with exit code 0")
T.eq(T.exitCode(other, 5000), 0, "a listed name's process stopped")
T.eq(T.exitCode(unlisted, 500), nil, "text after the last separator is no entry")
T.eq(T.exitCode(outside, 300), nil, "a listed program outside the install folder is never stopped")
T.eq(T.exitCode(sameName, 300), nil, "nor a same-named copy elsewhere")
