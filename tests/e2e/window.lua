
-- The scenario side of tests/e2e/window.sh: a log the driver reads and the commands it
-- sends. HARNESS_DIR (the scenario's folder) is set in the first line by the driver.
require "registry"

local logFile = assert(io.open(HARNESS_DIR .. "log.txt", "wb"))
function log(...)
    local parts = {}
    for i = 1, select("#", ...) do
        parts[#parts + 1] = tostring((select(i, ...)))
    end
    logFile:write(table.concat(parts, " "), "\n")
    logFile:flush()
end

local eventNames = {}
for name, code in pairs(event) do
    eventNames[code] = name
end

-- Logs "NAME EVENT" for each listed event code the control receives; `handlers` may answer.
function watch(control, name, codes, answer)
    for _, code in ipairs(codes) do
        control:addHandler(code, function(sender, c, wparam, lparam)
            log(name, eventNames[c] or c)
            return answer and answer(c, wparam, lparam)
        end)
    end
end

-- Runs cmdN.lua files in order from a timer of `window`; "run N" before, "ran N" after (a
-- command may block in a message box, while later commands still run from its loop).
local nextCommand = 1
function serveCommands(window)
    return window:setTimer(50, function()
        local path = HARNESS_DIR .. "cmd" .. nextCommand .. ".lua"
        local file = io.open(path, "r")
        if not file then
            return
        end
        local code = file:read("*a")
        file:close()
        local n = nextCommand
        nextCommand = n + 1
        log("run", n)
        assert(load(code, "=cmd" .. n))()
        log("ran", n)
    end)
end

-- Keeps the process (and so any window that should be gone but is not) alive until the driver
-- has looked.
function waitForFinish()
    for _ = 1, 300 do
        local file = io.open(HARNESS_DIR .. "finish", "r")
        if file then
            file:close()
            return
        end
        sleep(50)
    end
end
