-- Buttons, labels and progress bars through real X input. Logs what the controls receive and,
-- with every ValueChange and Click of a checking button, its checked state afterwards.
w = createWindow("controls.xml")
w:setTitle("Orvo controls test")
w:centerScreen()

probe, primary = w:getChild(1), w:getChild(2)
check, radios = w:getChild(10), { w:getChild(11), w:getChild(12), w:getChild(13) }
switch, expander, imageButton = w:getChild(20), w:getChild(21), w:getChild(23)
plainLabel, clickable, link, handLabel = w:getChild(30), w:getChild(31), w:getChild(32), w:getChild(33)
probeBar, shippedBar, percent = w:getChild(40), w:getChild(41), w:getChild(42)
plainLabel:setText("普通标签 A&B plain")

watch(probe, "probe", { event.Click })
for name, button in pairs({ check = check, switch = switch, expander = expander, r1 = radios[1], r2 = radios[2],
                            r3 = radios[3], image = imageButton }) do
    for _, code in ipairs({ event.ValueChange, event.Click }) do
        button:addHandler(code, function(sender, c)
            log(name, c == event.Click and "Click" or "ValueChange", tostring(sender:getCheck()))
        end)
    end
end

-- One group of radio buttons: the toolkit has none, the script clears the others.
for _, radio in ipairs(radios) do
    radio:addHandler(event.ValueChange, function(sender)
        if sender:getCheck() then
            for _, other in ipairs(radios) do
                if other ~= sender then other:setCheck(false) end
            end
        end
    end)
end
function radioStates()
    log("radios", tostring(radios[1]:getCheck()), tostring(radios[2]:getCheck()), tostring(radios[3]:getCheck()))
end

-- The plain label and, once bit 10 is cleared, the clickable one; the root sees presses bubble.
local mouse = { event.MouseEnter, event.MouseLeave, event.LButtonDown }
watch(plainLabel, "plain", mouse)
watch(clickable, "clickable", mouse)
watch(w:getRoot(), "root", { event.LButtonDown })
local queried = false
clickable:addHandler(event.QueryCursor, function()
    if not queried then
        queried = true
        log("clickable QueryCursor")
    end
end)
-- the reference hand: set by a script as the installer's UI script does for its licence label
handLabel:writeFlag(10, false)
handLabel:addHandler(event.QueryCursor, function()
    w:setCursor(32649)
    return true
end)
watch(link, "link", { event.MouseEnter })

function progress(bar, range, position)
    bar:setRange(range)
    bar:setPosition(position)
    if bar == shippedBar then
        percent:setText(string.format("%d%%", math.floor(position * 100 / range)))
    end
end

serveCommands(w)
local x, y = w:getPosition()
log("position", x, y)
w:showDialog()
waitForFinish()
