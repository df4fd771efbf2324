-- The uninstaller's UI script: asks first, stops the running application, removes what the
-- install journal lists (newest first) while a progress page shows it, and reports the result.
-- With /S the same steps run without a window, every question taking its default.
require "registry"

-- The product (the same block as the installer's UI script), written by orvo-build from the project file between the two marker lines (these
-- are the demo product's values, which its own project file gives again).
--@PROJECT
local PRODUCT_NAME = "OrvoPelora"
local PROGRAM_NAME = "Pelora"
local WINDOW_TITLE = "Pelora安装程序"
local PROGRAM_EXE = "NubeloUI.exe"
local VERSION = "8.0.0.5"
local PUBLISHER = "Orvo Media Co., Ltd."
local PUBLISHER_ADDRESS = "https://pelora.orvo.example/"
local LICENCE_ADDRESS = "https://pelora.orvo.example/agreement.html"
local INSTALL_FOLDER = "OrvoNubelo"
--@END

local MB_OK, MB_OKCANCEL = 0, 1
local MB_ICONQUESTION, MB_ICONEXCLAMATION = 32, 48
local IDOK = 1
local SUCCESS, RESTART_NEEDED, CANCELLED, FAILED = 0, 3010, 1602, 1603
-- steps undone per tick of the progress page, and the tick
local STEPS_PER_TICK, TICK_MS = 8, 15

local folder = uninstallFolder()
local program = folder .. PROGRAM_EXE
local options = getSetupOptions()
local silent = options.silent
local window

-- A message for the user, or a log line when no one is watching.
local function tell(text, title, style)
    writeLog(title .. ": " .. text)
    if silent then
        return IDOK
    end
    if window then
        return window:showMessageBox(text, title, style)
    end
    return showMessageBox(text, title, style)
end

-- False when the user would rather keep the application running (nothing is removed then).
local function stopApplication()
    if not getRunningProcess(folder) and not isProcessRunning(program) then
        return true
    end
    if tell(PROGRAM_NAME .. "正在运行中，是否停止" .. PROGRAM_NAME .. "？", "提示", MB_OKCANCEL + MB_ICONQUESTION) ~= IDOK then
        return false
    end
    -- only processes whose image lies in the install folder; the application waited for, so its
    -- files are free before they are removed
    killRunningProcess(folder)
    killProcess(program)
    writeLog("stopped " .. program)
    return true
end

-- After the last step: the journal goes, and the result is the exit code.
local function finishRemoval()
    local restart = journalFinishRemoval(folder)
    if restart then
        writeLog("files in use are deleted at the next boot")
        markRestart()
        return RESTART_NEEDED
    end
    writeLog("removed")
    return SUCCESS
end

local function offerRestart()
    if silent or options.noRestart then
        return
    end
    if showMessageBox(PROGRAM_NAME .. "需要重启电脑才能完成卸载，是否立即重启?", "提示", MB_OKCANCEL + MB_ICONQUESTION) == IDOK then
        reboot()
    end
end

-- What the install writes outside its folder, and nothing else, is the uninstall's to remove:
-- the journal lies in a folder that may be the user's to write.
local OWN = {
    "HKCU\\Software\\" .. INSTALL_FOLDER .. "\\",
    "HKLM\\SOFTWARE\\Microsoft\\Internet Explorer\\Low Rights\\ElevationPolicy\\{CACBA33C-A5E5-43CD-9287-8C075425FC26}\\",
    "HKCR\\orvolive\\",
    "HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\" .. INSTALL_FOLDER .. " Daemon",
    "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" .. INSTALL_FOLDER .. "\\",
    (getDesktopFolder() or "") .. "\\" .. PRODUCT_NAME .. ".lnk",
}

local steps, why = journalOpenRemoval(folder, folder .. "unins000.exe", OWN)
if not steps then
    writeLog("journal: " .. tostring(why))
    local state = why == "missing" and "不存在" or "已损坏"
    tell("无法卸载 " .. PROGRAM_NAME .. "：安装记录 " .. folder .. "unins000.dat " .. state .. "。\n\n没有删除任何文件。",
        "错误", MB_OK + MB_ICONEXCLAMATION)
    setExitCode(FAILED)
    return
end
writeLog("uninstalling " .. folder .. " (" .. steps .. " steps)")

if silent then
    if not stopApplication() then
        setExitCode(CANCELLED)
        return
    end
    while journalRemoveNext() do
    end
    setExitCode(finishRemoval())
    return
end

local result = CANCELLED
window = createWindow("uninstall.xml")
window:setIcon(2)
window:setTitle(PROGRAM_NAME .. "卸载程序")
window:centerScreen()
window:getChild(1003):setText(folder)
-- the markup's wording with the project's names; the labels by their place in their page, as a
-- label with an id would no longer name its page or the control after it to screen readers
window:getChild(6000):setText(PROGRAM_NAME .. "卸载程序")
window:getChild(1000):getChild(0):setText("卸载 " .. PROGRAM_NAME)
window:getChild(1000):getChild(1):setText("从您的电脑中移除 " .. PROGRAM_NAME)
window:getChild(1000):getChild(2):setText("确定要完全移除 " .. PROGRAM_NAME .. " 及其所有组件吗？")
local close = window:getChild(5000)

local function showFinish()
    window:getChild(4000):setVisible(true)
    window:getChild(3000):setVisible(false)
    close:setVisible(true)
    window:getChild(4001):setText(result == RESTART_NEEDED and "部分文件正在使用中，将在重启电脑后删除。" or
        PROGRAM_NAME .. " 已从您的电脑中移除。")
end

local function startRemoval()
    window:getChild(3000):setVisible(true)
    window:getChild(1000):setVisible(false)
    close:setVisible(false)
    local bar, percent = window:getChild(3001), window:getChild(3002)
    bar:setRange(math.max(steps, 1))
    local done, timer = 0, nil
    timer = window:setTimer(TICK_MS, function()
        for _ = 1, STEPS_PER_TICK do
            if not journalRemoveNext() then
                window:killTimer(timer)
                result = finishRemoval()
                showFinish()
                return
            end
            done = done + 1
        end
        bar:setPosition(done)
        percent:setText(string.format("%2d%%", math.floor(done * 100 / math.max(steps, 1))))
    end)
end

window:getChild(1001):addHandler(event.Click, function()
    if stopApplication() then
        startRemoval()
    end
end)
window:getChild(1002):addHandler(event.Click, function()
    window:endDialog(2)
end)
close:addHandler(event.Click, function()
    window:endDialog(3)
end)
window:getChild(4002):addHandler(event.Click, function()
    window:endDialog(3)
end)

window:showDialog()
setExitCode(result)
if result == RESTART_NEEDED then
    offerRestart()
end
