-- Scroll bars, a slider and a list box through real X input: the bar's Notify events with their
-- times, the slider's value after presses, drags and the wheel, the list's selection by click and
-- keys. The driver reads the thumbs' places from screenshots.
w = createWindow("scrolling.xml")
w:setTitle("Orvo scrolling test")
w:centerScreen()
log("position", w:getPosition())

panel, slider, list = w:getChild(20), w:getChild(30), w:getChild(40)
for i = 0, 19 do
    list:addItem("row " .. i)
end
items = list:getChild(0)

-- the bar exists once the panel is laid out; it is made again by every layout
function watchBar()
    bar = panel:getChild(1)
    bar:addHandler(event.Notify, function(sender, code, wparam, lparam)
        log("notify", wparam, math.floor(os.clock() * 1000))
    end)
    log("bar", bar:getName())
end

slider:addHandler(event.ValueChange, function()
    log("slider", slider:getValue())
end)

-- the selected row, by its checked bit
function selectedRow()
    for i = 0, 19 do
        if items:getChild(i):readFlag(14) then
            return i
        end
    end
    return "none"
end
list:addHandler(event.Notify, function()
    log("list notify", selectedRow())
end)

serveCommands(w)
log("result", w:showDialog())
waitForFinish()
