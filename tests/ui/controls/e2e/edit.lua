-- The edit through real X input: the driver types, clicks, drags and scrolls, then asks for the
-- texts; "text N ..." lines show edit N's text with CR, LF and tab written as \r, \n and \t.
w = createWindow("edit.xml")
w:setTitle("Orvo edit test")
w:centerScreen()
edits = { w:getChild(1), w:getChild(2), w:getChild(3) }
log("markup", edits[1]:getText())

function dump(n)
    local text = edits[n]:getText():gsub("\r", "\\r"):gsub("\n", "\\n"):gsub("\t", "\\t")
    log("text " .. n .. " " .. text)
end

-- `count` lines; line k holds k + 1 times `char`
function staircase(count, char)
    local lines = {}
    for k = 0, count - 1 do
        lines[#lines + 1] = string.rep(char, k + 1)
    end
    return table.concat(lines, "\r\n")
end

serveCommands(w)
local x, y = w:getPosition()
log("position", x, y)
w:showDialog()
waitForFinish()
