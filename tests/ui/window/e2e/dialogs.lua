
-- Dialogs and timers: the measured size, script timers (period, a one-shot that kills itself, a
-- window destroyed from its own timer's callback), showDialog refusals, endDialog while a message
-- box is open, and a timer failing while a box is open.
w = createWindow("measured.xml")
w:setTitle("Orvo dialog test")
w:setPosition(60, 60)

local started = os.clock()
local function since()
    return math.floor((os.clock() - started) * 1000 + 0.5)
end

-- a periodic timer, killed by a command later
periodic = w:setTimer(300, function()
    log("periodic", since())
end)

-- a one-shot: kills itself in its first period
local oneShot
oneShot = w:setTimer(100, function()
    log("one-shot")
    w:killTimer(oneShot)
end)

-- a second window, shown as a dialog from its own timer's callback and ended by a command; its
-- destruction deletes the timer whose callback is still running
w2 = createWindow("measured.xml")
w2:setTitle("Orvo inner dialog")
w2:setPosition(400, 60)
local inner = 0
w2:setTimer(200, function()
    inner = inner + 1
    log("inner tick")
    if inner == 1 then
        -- its own owner: ignored, or it would disable itself
        log("inner result", w2:showDialog(w2))
    end
end)

commandTimer = serveCommands(w)
log("result", w:showDialog())

-- a timer that fails while a message box is open: the box closes by itself and the error ends
-- the script
w3 = createWindow("measured.xml")
w3:setTitle("Orvo failing dialog")
local boxShown = false
w3:setTimer(200, function()
    if not boxShown then
        boxShown = true
        log("stuck box", w3:showMessageBox("Nobody answers this", "Orvo stuck box", 0))
    end
end)
w3:setTimer(1500, function()
    error("timer failed on purpose")
end)
log("failing result", w3:showDialog())
