
-- Input routing through real X input: hover chains, presses and capture, disabled controls, a
-- stopped preview, keys and the focus across a message box, tooltips, the shadow, endDialog.
-- globals: the driver's commands use them
w = createWindow("input.xml")
w:setTitle("Orvo input test")
w:centerScreen()
local x, y = w:getPosition()
log("position", x, y)

root, panel = w:getRoot(), w:getChild(10)
b1, b2, b3, b4, b5, b6 = w:getChild(1), w:getChild(2), w:getChild(3), w:getChild(4), w:getChild(5), w:getChild(6)
local hover = { event.MouseEnter, event.MouseLeave }
watch(root, "root", hover)
watch(panel, "panel", hover)
watch(b1, "b1", { event.MouseEnter, event.MouseLeave, event.LButtonDown, event.GotCapture, event.LostCapture,
                  event.Click })
watch(b2, "b2", { event.MouseEnter, event.MouseLeave, event.Click })
watch(b3, "b3", { event.MouseEnter, event.MouseLeave, event.LButtonDown, event.GotCapture, event.Click })
watch(b4, "b4", { event.LButtonDown, event.GotCapture, event.Click })
watch(b5, "b5", { event.GotFocus, event.LostFocus })
watch(b6, "b6", { event.Click })

-- signed client coordinates of a mouse message's lparam
local function point(lparam)
    local px, py = lparam % 65536, math.floor(lparam / 65536) % 65536
    if px >= 32768 then px = px - 65536 end
    if py >= 32768 then py = py - 65536 end
    return px, py
end

-- The root previews every press and stops those on b4 (120..200, 150..180).
root:addHandler(event.PrevLButtonDown, function(sender, code, wparam, lparam)
    local px, py = point(lparam)
    log("root PrevLButtonDown")
    return px >= 120 and px < 200 and py >= 150 and py < 180
end)

-- While b1 holds the capture its moves are reported, also beyond the window's left edge.
local leftSeen = false
b1:addHandler(event.MouseMove, function(sender, code, wparam, lparam)
    local px = point(lparam)
    if px < 0 and not leftSeen then
        leftSeen = true
        log("b1 moved left of the window")
    end
end)

b5:addHandler(event.KeyPress, function(sender, code, wparam)
    log("b5 KeyPress", string.char(wparam))
    return true
end)

b6:addHandler(event.Click, function()
    w:endDialog(3)
end)

serveCommands(w)
local result = w:showDialog()
log("result", result)
-- the window is gone: its methods answer with nothing at all
log("after", select("#", w:getChild(1)), select("#", w:getRoot()))
waitForFinish()
