-- The script side of the window, control and timer registries. The native bindings call these
-- functions by global name; the UI script loads them first with require "registry", which also
-- sets the global `event` table (event codes by name) from the host's own list of codes.

-- Handler lists: dispatcher[code] is the ordered list of functions for that event code.
function lua_addHandler(dispatcher, code, func)
    local list = dispatcher[code]
    if list == nil then
        dispatcher[code] = { func }
        return true
    end
    list[#list + 1] = func
end

function lua_removeHandler(dispatcher, code, func)
    local list = dispatcher[code]
    if list == nil then
        return true
    end
    for i = 1, #list do
        if list[i] == func then
            table.remove(list, i)
            break
        end
    end
    if #list == 0 then
        dispatcher[code] = nil
        return true
    end
end

function lua_invokeHandlers(dispatcher, sender, code, wparam, lparam)
    local list = dispatcher and dispatcher[code]
    if list == nil then
        return
    end
    -- a handler may add or remove handlers of this code: walk a snapshot
    local snapshot = { table.unpack(list) }
    for i = 1, #snapshot do
        if snapshot[i](sender, code, wparam, lparam) then
            return true
        end
    end
end

-- Windows: a sequence of {object, handle, messageHandler}.
function lua_addWindow(windows, obj, handle)
    windows[#windows + 1] = { obj, handle }
end

function lua_removeWindow(windows, handle)
    for i = 1, #windows do
        if windows[i][2] == handle then
            table.remove(windows, i)
            return
        end
    end
end

function lua_queryWindow(windows, handle)
    for i = 1, #windows do
        if windows[i][2] == handle then
            return windows[i][1]
        end
    end
    return nil
end

function lua_queryWindowHandle(windows, obj)
    for i = 1, #windows do
        if windows[i][1] == obj then
            return windows[i][2]
        end
    end
    return 0
end

function lua_setMessageHandler(windows, obj, func)
    for i = 1, #windows do
        if windows[i][1] == obj then
            windows[i][3] = func
            return
        end
    end
end

function lua_invokeMessageHandler(windows, obj, text)
    for i = 1, #windows do
        if windows[i][1] == obj then
            local handler = windows[i][3]
            if handler == nil then
                return 0
            end
            return (handler(text))
        end
    end
    return 0
end

-- Controls: controls[1] maps object -> triple, controls[2] maps handle -> triple,
-- a triple being {object, handle, dispatcher}.
function lua_addControl(controls, obj, handle)
    local triple = { obj, handle, {} }
    controls[1][obj] = triple
    controls[2][handle] = triple
end

function lua_removeControl(controls, handle)
    local triple = controls[2][handle]
    if triple ~= nil then
        controls[2][handle] = nil
        controls[1][triple[1]] = nil
    end
end

function lua_queryControl(controls, handle)
    local triple = controls[2][handle]
    return triple and triple[1]
end

function lua_queryControlHandle(controls, obj)
    local triple = controls[1][obj]
    return triple and triple[2]
end

function lua_queryControlDispatcher(controls, obj)
    local triple = controls[1][obj]
    return triple and triple[3]
end

-- Timers: a sequence of {timer, callback, window}.
function lua_setTimer(timers, timer, func, window)
    timers[#timers + 1] = { timer, func, window }
end

function lua_killTimer(timers, timer, window)
    for i = 1, #timers do
        if timers[i][1] == timer and timers[i][3] == window then
            table.remove(timers, i)
            return
        end
    end
end

function lua_removeTimer(timers, window)
    for i = #timers, 1, -1 do
        if timers[i][3] == window then
            table.remove(timers, i)
        end
    end
end

function lua_onTimer(timers, timer)
    for i = 1, #timers do
        if timers[i][1] == timer then
            timers[i][2]()
            return
        end
    end
end
