-- A combo box, tabs and a title bar through real X input: the combo's ValueChange and text, the
-- tabs' ValueChange order and how long the switch kept the window busy, the title bar's press
-- after the move loop.
w = createWindow("combo_tabs.xml")
w:setTitle("Orvo combo test")
w:centerScreen()
log("position", w:getPosition())

titlebar, combo, tabs = w:getChild(10), w:getChild(20), w:getChild(30)
one, two, three = w:getChild(31), w:getChild(32), w:getChild(33)
for i = 0, 9 do
    combo:addItem("item " .. i)
end

combo:addHandler(event.ValueChange, function()
    log("combo ValueChange", combo:getText())
end)
titlebar:addHandler(event.LButtonDown, function()
    log("titlebar LButtonDown", w:getPosition())
end)

-- the tab control hears its ValueChange before the page slides in; the release of the click that
-- chose the tab waits behind the slide
local changed
for _, tab in ipairs({ { one, "one" }, { two, "two" }, { three, "three" } }) do
    tab[1]:addHandler(event.ValueChange, function()
        log("tab", tab[2], "ValueChange", tostring(tab[1]:getCheck()))
    end)
    tab[1]:addHandler(event.LButtonUp, function()
        if changed then
            log("busy", math.floor(os.clock() * 1000) - changed)
            changed = nil
        end
    end)
end
tabs:addHandler(event.ValueChange, function()
    log("tabs ValueChange")
    changed = math.floor(os.clock() * 1000)
end)

serveCommands(w)
log("result", w:showDialog())
waitForFinish()
