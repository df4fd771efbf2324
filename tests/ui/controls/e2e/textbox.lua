-- The text box through real X input: typing, a PrevKeyPress filter, clicks, drags, double clicks,
-- scrolling and the clipboard. "text ..." lines show its text with CR and LF written as \r and \n.
w = createWindow("textbox.xml")
w:setTitle("Orvo text box test")
w:centerScreen()
box, other, button, beamLabel = w:getChild(1), w:getChild(2), w:getChild(3), w:getChild(4)

changes = 0
box:addHandler(event.ValueChange, function() changes = changes + 1 end)
-- as the installer's folder box filters: a handled preview keeps the character out
box:addHandler(event.PrevKeyPress, function(_, _, code)
    if code == 58 then
        log("swallowed", ":")
        return true
    end
end)
watch(box, "box", { event.GotFocus, event.LostFocus })
beamLabel:writeFlag(10, false)
beamLabel:addHandler(event.QueryCursor, function()
    w:setCursor(32513)
    return true
end)

function dump()
    local text = box:getText():gsub("\r", "\\r"):gsub("\n", "\\n")
    log("text " .. text)
    log("length " .. #box:getText() .. " changes " .. changes)
end

serveCommands(w)
local x, y = w:getPosition()
log("position", x, y)
w:showDialog()
waitForFinish()
