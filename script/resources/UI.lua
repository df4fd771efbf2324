-- The installer's UI script: the licence, folder, progress and finish pages of "mainframe.xml",
-- the worker's notifications, and the integration of the installed application with the machine.
-- One flow with two faces: an interactive run shows the pages and asks; a silent run (/S) shows
-- nothing, logs every step and takes each question's documented default.
require "registry"

-- The product, written by orvo-build from the project file between the two marker lines (these
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
local UNINSTALL_KEY = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" .. INSTALL_FOLDER
local OLD_SERVER_KEY = "SOFTWARE\\Classes\\CLSID\\{F93A0F10-9A4D-4EF4-B8DC-04AFAC5C73E6}\\InprocServer32"

local SW_NORMAL = 1
local MB_OK, MB_OKCANCEL, MB_YESNO, MB_RETRYCANCEL = 0, 1, 4, 5
local MB_ICONQUESTION, MB_ICONEXCLAMATION = 32, 48
local IDOK, IDCANCEL, IDRETRY, IDYES = 1, 2, 4, 6

-- The process's exit codes (host/ExitCodes.h).
local EXIT_SUCCESS, EXIT_BAD_ARGUMENTS, EXIT_CANCELLED, EXIT_FAILED, EXIT_RESTART_NEEDED = 0, 87, 1602, 1603, 3010
-- How long a silent run retries a file that stays held open before it fails.
local SILENT_RETRY_SECONDS = 10

-- The host's switches and log; a host without them runs the interactive face.
local options = getSetupOptions and getSetupOptions() or {silent = false, folder = "", autostart = false, noRestart = false}
local log = writeLog or function() end

-- Splits at a plain separator, dropping empty fields.
local function stringSplit(text, separator)
    local fields = {}
    local start = 1
    while true do
        local at = text:find(separator, start, true)
        local field = text:sub(start, (at or 0) - 1)
        if field ~= "" then
            fields[#fields + 1] = field
        end
        if not at then
            return fields
        end
        start = at + #separator
    end
end

-- Replaces every occurrence of a plain text.
local function stringReplace(text, old, new)
    local out, start = {}, 1
    while true do
        local at = text:find(old, start, true)
        if not at then
            out[#out + 1] = text:sub(start)
            return table.concat(out)
        end
        out[#out + 1] = text:sub(start, at - 1) .. new
        start = at + #old
    end
end

-- A string in long brackets of a level the text cannot close: a folder name holding "]]", or
-- ending in "]", can neither end the string early nor add code to the configuration.
local function quote(text)
    local level = 0
    while true do
        local eq = string.rep("=", level)
        local close = "]" .. eq .. "]"
        -- the first closing bracket must be the one added here: a "]]" inside, or a text ending
        -- in "]" (which the closing bracket would complete), needs a higher level
        if (text .. close):find(close, 1, true) == #text + 1 then
            local lead = text:match("^[\r\n]") and "\n" or ""
            return "[" .. eq .. "[" .. lead .. text .. close
        end
        level = level + 1
    end
end

local window
local installPath
local installComplete = false
local restartNeeded = false
local progressRange = 0
-- Until the install has finished, leaving is a cancellation.
local exitCode = EXIT_CANCELLED
-- Set once the run has ended early (cancelled or failed): later notifications change nothing.
local stopped = false

-- The drive, ":\", then every name followed by "\".
local function createPath(drive, names)
    local path = drive .. ":\\"
    for _, name in ipairs(names) do
        path = path .. name .. "\\"
    end
    return path
end

local function folderNames(rest)
    return stringSplit(stringReplace(rest, "/", "\\"), "\\")
end

-- A stored install folder, if it still names a folder on an existing drive.
local function formatPath(value)
    if not value or value == "" then
        return nil
    end
    local fields = stringSplit(value, ":")
    if #fields ~= 2 or not volumeExists(fields[1] .. ":\\") then
        return nil
    end
    local names = folderNames(fields[2])
    if #names == 0 then
        return nil
    end
    return createPath(fields[1], names)
end

-- The folder of an earlier installation, from what only administrators can write: the machine-wide
-- uninstall entry's InstallLocation, or for installations that predate it the folder of its
-- DisplayIcon. The user's "InstallPath" is any program's to write; it only counts when it names
-- that same folder, so it never decides anything on its own.
local function storedFolder()
    local machine = regQueryString(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, "InstallLocation")
    if not machine or machine == "" then
        local icon = regQueryString(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, "DisplayIcon")
        local suffix = "\\" .. PROGRAM_EXE
        machine = icon and icon:sub(-#suffix):lower() == suffix:lower() and icon:sub(1, -#PROGRAM_EXE - 1) or nil
    end
    return formatPath(machine)
end

-- Every value goes through the install journal, which records the keys it makes and the values
-- it replaces, so the uninstaller can undo exactly this.
local function writeRegedit(root, key, values)
    for _, pair in ipairs(values) do
        journalWriteRegistry(root, key, pair[1], pair[2])
    end
end

-- System programs by their full path, quoted.
local function systemProgram(name)
    return '"' .. getSystemFolder() .. "\\" .. name .. '"'
end

-- True when `path` starts with `folder` (letter case ignored).
local function inside(path, folder)
    return folder ~= nil and path:sub(1, #folder):lower() == folder:lower()
end

-- A module registered by an earlier version, as the machine-wide classes name it, is handed to
-- regsvr32 as administrator only when it lies where only administrators write (the install
-- folder or Program Files) and holds nothing that could change the command line.
local function trustedModule(path, folder)
    if path:find('"', 1, true) or path:find("..", 1, true) or path:find("/", 1, true) then
        return false
    end
    return inside(path, folder) or inside(path, getProgramFolder() .. "\\")
end

local function RegisterNubelo(folder, startMonitor)
    local program = folder .. PROGRAM_EXE
    writeRegedit(HKEY_CURRENT_USER, "Software\\" .. INSTALL_FOLDER, {
        {"InstallPath", folder}, {"Run", program}, {"Version", VERSION}, {"New", 1},
    })
    writeRegedit(HKEY_LOCAL_MACHINE,
        "SOFTWARE\\Microsoft\\Internet Explorer\\Low Rights\\ElevationPolicy\\{CACBA33C-A5E5-43CD-9287-8C075425FC26}", {
        {"AppName", PROGRAM_EXE}, {"AppPath", folder}, {"Policy", 524291},
    })
    writeRegedit(HKEY_CLASSES_ROOT, "orvolive", {{"", "URL:Orvo直播专用链"}, {"URL Protocol", program}})
    writeRegedit(HKEY_CLASSES_ROOT, "orvolive\\shell\\open\\command", {{"", '"' .. program .. '" "%1"'}})
    if startMonitor then
        writeRegedit(HKEY_CURRENT_USER, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", {
            {INSTALL_FOLDER .. " Daemon", getAppDataFolder() .. "\\Nubelo\\codecs\\nubmon.exe"},
        })
    end
    local uninstaller = '"' .. folder .. 'unins000.exe"'
    writeRegedit(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, {
        {"InstallLocation", folder},
        {"DisplayIcon", program}, {"DisplayName", PRODUCT_NAME}, {"DisplayVersion", VERSION},
        {"Publisher", PUBLISHER}, {"UninstallString", uninstaller}, {"URLInfoAbout", PUBLISHER_ADDRESS},
        {"QuietUninstallString", uninstaller .. " /S"},
        {"EstimatedSize", journalInstalledSize()}, {"InstallDate", os.date("%Y%m%d")},
        {"NoModify", 1}, {"NoRepair", 1},
    })
    -- regsvr32 is a process of its own: started only for a module the payload brought
    if fileExists(folder .. "nubdumper.dll") then
        shellExecuteEx(systemProgram("regsvr32.exe"), '/s "' .. folder .. 'nubdumper.dll"', "open", 0, 64)
        journalRecord("server", folder .. "nubdumper.dll")
    end
    -- the machine's own classes: the merged HKEY_CLASSES_ROOT would give a user's entry first
    local old = regQueryString(HKEY_LOCAL_MACHINE, OLD_SERVER_KEY, "")
    if old and old ~= "" and trustedModule(old, folder) then
        shellExecuteEx(systemProgram("regsvr32.exe"), '/s /u "' .. old .. '"', "open", 0, 64)
    end
    local shortcut = getDesktopFolder() .. "\\" .. PRODUCT_NAME .. ".lnk"
    if createShortCut(program, shortcut) then
        journalRecord("shortcut", shortcut)
    end
    journalSave()
end

local function showError(text)
    window:showMessageBox(text, "错误", MB_OK + MB_ICONEXCLAMATION)
end

-- The two faces of the one flow. Each answers what the flow asks: the interactive one with the
-- pages and message boxes, the silent one with the log and the documented defaults.
local face

-- Ends the run early with `code`; the dialog, if any, leaves.
local function stopRun(code)
    stopped = true
    exitCode = code
    face.leave()
end

local interactiveFace = {
    askStopApplication = function()
        return window:showMessageBox(PROGRAM_NAME .. "正在运行中，是否停止" .. PROGRAM_NAME .. "？", "提示", MB_OKCANCEL + MB_ICONQUESTION)
    end,
    askStopProcesses = function(list)
        return window:showMessageBox("立即结束以下程序来继续安装过程吗?\r\n" .. list, "提示",
            MB_OKCANCEL + MB_ICONQUESTION)
    end,
    askRetry = function(file)
        return window:showMessageBox("文件可能被其他程序占用。\r\n" .. file .. "\r\n请关闭占用的程序再重试",
            "异常", MB_RETRYCANCEL + MB_ICONEXCLAMATION)
    end,
    showFailure = function(text)
        window:showMessageBox("安装过程发生异常\r\n\r\n" .. text, "错误", MB_OK + MB_ICONEXCLAMATION)
    end,
    setRange = function(range)
        window:getChild(3001):setRange(range)
    end,
    setPosition = function(position)
        window:getChild(3001):setPosition(position)
        if progressRange > 0 then
            window:getChild(3002):setText(string.format("%2d%%", math.floor(position * 100 / progressRange)))
        end
    end,
    finished = function()
        window:getChild(4000):setVisible(true)
        window:getChild(3000):setVisible(false)
        window:getChild(5000):setVisible(true)
    end,
    leave = function()
        window:endDialog(3)
    end,
}

-- The file a silent run retries and until when (os.time seconds).
local retrying, retryUntil
local silentFace = {
    askStopApplication = function()
        return IDOK
    end,
    askStopProcesses = function(list)
        log("stopping the running programs: " .. list:gsub("[\r\n]+", "; "))
        return IDOK
    end,
    askRetry = function(file)
        if retrying ~= file then
            retrying, retryUntil = file, os.time() + SILENT_RETRY_SECONDS
            log("file held open, retrying for " .. SILENT_RETRY_SECONDS .. " seconds: " .. file)
        end
        if os.time() < retryUntil then
            sleep(500)
            return IDRETRY
        end
        log("file still held open, giving up: " .. file)
        return IDCANCEL
    end,
    showFailure = function(text)
        log("installation failed: " .. text)
    end,
    setRange = function() end,
    setPosition = function() end,
    finished = function() end,
    leave = function() end,
}

-- False when the user would rather keep the running application (the run then ends).
local function runningCheck()
    local program = installPath .. PROGRAM_EXE
    if isProcessRunning(program) then
        if face.askStopApplication() == IDOK then
            killProcess(program)
        else
            stopRun(EXIT_CANCELLED)
            return false
        end
    end
    return true
end

-- Starts the worker; false (after the failure box) when it cannot run.
local function startWorker()
    log("install folder: " .. installPath)
    if startWork("LG.lua", "program.lz", "{installPath=" .. quote(installPath) .. ",version=" .. quote(VERSION) .. "}") == false then
        face.showFailure("无法启动安装线程")
        stopRun(EXIT_FAILED)
        return false
    end
    return true
end

local function startInstall(fromPage)
    window:getChild(3000):setVisible(true)
    window:getChild(fromPage):setVisible(false)
    window:getChild(5000):setVisible(false)
    startWorker()
end

-- The install folder the rules make of `text` (ending in "\\"), or nil and why it is refused.
local function checkedFolder(text)
    if text == "" then
        return nil, "安装路径不能为空"
    end
    local fields = stringSplit(text, ":")
    if #fields ~= 2 then
        return nil, "你必须输入带驱动器卷标的完整路径，例如：\n\nC:\\Program Files\\"
    end
    if not volumeExists(fields[1] .. ":\\") then
        return nil, "输入的盘符无效"
    end
    local names = folderNames(fields[2])
    if #names == 0 then
        return nil, "不能安装到盘符根路径"
    end
    return createPath(fields[1], names)
end

-- A folder given with /D= or /DIR=: the same rules, and none of the characters the folder box
-- refuses to take.
local function commandLineFolder(text)
    if text:find('[?"\'<>|]') then
        return nil, "安装路径不能包含以下字符：?\"'<>|"
    end
    return checkedFolder(text)
end

-- The folder of text box 2001, or nil after telling the user what is wrong with it.
local function validatedFolder()
    local folder, reason = checkedFolder(window:getChild(2001):getText())
    if not folder then
        showError(reason)
    end
    return folder
end

local function launch()
    if restartNeeded then
        return
    end
    releaseMutex()
    -- as the signed-in user, never with the installer's administrator rights
    shellExecuteAsUser(installPath .. PROGRAM_EXE)
end

-- The worker's notifications, for both faces. Once the run has stopped, the worker is told to
-- stop too.
local function MessageHandler(text)
    -- an empty environment: a notification is data, and can never call anything
    local ok, message = pcall(function() return load("return " .. text, "=notification", "t", {})() end)
    local code = ok and type(message) == "table" and message.code or nil
    if stopped then
        return IDCANCEL
    end
    local answer = 1
    if code == 2 then
        installComplete = true
        log("all files installed")
        face.finished()
    elseif code == 3 then
        progressRange = message.range
        face.setRange(message.range)
    elseif code == 4 then
        face.setPosition(message.position)
    elseif code == 5 then
        answer = face.askRetry(message.file)
        if answer == IDCANCEL then
            -- a file that stays held open fails a silent run; in an interactive one the user chose
            stopRun(options.silent and EXIT_FAILED or EXIT_CANCELLED)
        end
    elseif code == 6 then
        face.showFailure(message.error)
        stopRun(EXIT_FAILED)
        answer = 2
    elseif code == 7 then
        restartNeeded = true
        log("files are replaced at the next restart")
        markRestart()
    elseif code == 10 then
        answer = face.askStopProcesses(message.file)
        if answer == IDCANCEL then
            stopRun(EXIT_CANCELLED)
        end
    elseif code == 11 and not installComplete then
        -- the worker ended without its final code: a script error, an unreadable package or script
        face.showFailure(message.error ~= "" and message.error or "安装程序意外结束")
        stopRun(EXIT_FAILED)
    end
    return answer
end

-- The code a finished install leaves with.
local function finishedCode()
    return restartNeeded and EXIT_RESTART_NEEDED or EXIT_SUCCESS
end

local function defaultFolder()
    return getProgramFolder() .. "\\" .. INSTALL_FOLDER .. "\\"
end

-- `given` is the folder of /D= or /DIR= after the rules, or nil.
local function setupWindow(given)
    window = createWindow("mainframe.xml")
    window:setIcon(2)
    window:setTitle(WINDOW_TITLE)
    window:centerScreen()

    local stored = storedFolder()
    if given then
        installPath = given
        window:getChild(2001):setText(installPath)
    elseif stored then
        installPath = stored
        window:getChild(1004):setVisible(false)
    else
        installPath = defaultFolder()
        window:getChild(2001):setText(installPath)
    end

    local custom, quick = window:getChild(1004), window:getChild(1003)
    custom:setStyle("button.xml")
    custom:setEnabled(false)
    quick:setEnabled(false)

    local agree = window:getChild(1001)
    agree:addHandler(event.Click, function()
        local ticked = agree:getCheck()
        custom:setStyle(ticked and "button_gray.xml" or "button.xml")
        custom:setEnabled(ticked)
        quick:setEnabled(ticked)
    end)

    local link = window:getChild(1002)
    link:writeFlag(10, false)
    link:addHandler(event.MouseEnter, function() link:setColor(3355596) end)
    link:addHandler(event.MouseLeave, function() link:setColor(6711039) end)
    link:addHandler(event.QueryCursor, function()
        window:setCursor(32649)
        return true
    end)
    link:addHandler(event.LButtonDown, function()
        shellExecuteAsUser(LICENCE_ADDRESS)
    end)

    quick:addHandler(event.Click, function()
        if runningCheck() then
            startInstall(1000)
        end
    end)

    custom:addHandler(event.Click, function()
        window:getChild(2000):setVisible(true)
        window:getChild(1000):setVisible(false)
    end)

    local folderBox = window:getChild(2001)
    window:getChild(2002):addHandler(event.Click, function()
        local chosen = window:browseForFolder("在列表中选择一个文件夹，然后单击“确定”。")
        if chosen then
            if chosen:sub(-1) ~= "\\" then
                folderBox:setText(chosen .. "\\" .. INSTALL_FOLDER .. "\\")
            else
                folderBox:setText(chosen .. INSTALL_FOLDER .. "\\")
            end
        end
    end)

    folderBox:addHandler(event.PrevKeyPress, function(_, _, code)
        if code == 63 or code == 34 or code == 39 or code == 60 or code == 62 or code == 124 then
            return true
        end
        if code == 58 and folderBox:getText():find(":", 1, true) then
            return true
        end
    end)

    window:getChild(5001):setText("Ver: " .. VERSION)
    -- the markup's wording with the project's names; the labels by their place in their page, as
    -- a label with an id would no longer name its page or the control after it to screen readers
    window:getChild(6000):setText(WINDOW_TITLE)
    window:getChild(1000):getChild(0):setText(PROGRAM_NAME)
    window:getChild(2000):getChild(1):setText(PROGRAM_NAME .. " 将安装到下面的文件夹")
    window:getChild(3000):getChild(2):setText("正在安装 " .. PROGRAM_NAME)
    window:getChild(4000):getChild(1):setText(PROGRAM_NAME .. " 已成功安装到您的电脑")
    window:getChild(4001):setText("开机时启动 " .. PROGRAM_NAME .. " 监控")

    window:getChild(2004):addHandler(event.Click, function()
        local folder = validatedFolder()
        if not folder then
            return
        end
        installPath = folder
        if not directoryEmpty(installPath) then
            local question = "文件夹:\r\n\r\n" .. installPath .. "\r\n\r\n不为空。您一定要安装到该文件夹中么?"
            if window:showMessageBox(question, "提示", MB_OKCANCEL + MB_ICONQUESTION) == IDCANCEL then
                return
            end
        end
        if runningCheck() then
            startInstall(2000)
        end
    end)

    window:getChild(5000):addHandler(event.Click, function()
        if installComplete then
            exitCode = finishedCode()
            window:endDialog(3)
            RegisterNubelo(installPath, window:getChild(4001):getCheck())
            return
        end
        local question = "安装程序未完成安装。如果您现在退出，您的程序将不能安装。\n\n" ..
            "您可以以后再运行安装程序完成安装。\n\n退出安装程序吗？"
        if window:showMessageBox(question, "退出安装程序", MB_YESNO + MB_ICONQUESTION) == IDYES then
            window:endDialog(2)
        end
    end)

    window:getChild(4003):addHandler(event.Click, function()
        exitCode = finishedCode()
        window:endDialog(3)
        RegisterNubelo(installPath, window:getChild(4001):getCheck())
        launch()
    end)

    window:getChild(4002):addHandler(event.Click, function()
        exitCode = finishedCode()
        window:endDialog(3)
        RegisterNubelo(installPath, window:getChild(4001):getCheck())
    end)

    window:setMessageHandler(MessageHandler)
end

-- The unattended face: the same steps, no window, defaults for every question.
local function runSilently(given)
    installPath = given or storedFolder() or defaultFolder()
    if not directoryEmpty(installPath) then
        log("the install folder is not empty; installing into it")
    end
    if not runningCheck() or not startWorker() then
        return
    end
    waitForWork(MessageHandler)
    if stopped then
        return
    end
    if not installComplete then
        face.showFailure("安装程序意外结束")
        stopRun(EXIT_FAILED)
        return
    end
    -- the finish page's choices: no launch, no browser, the monitor only when asked for
    RegisterNubelo(installPath, options.autostart)
    exitCode = finishedCode()
end

local function main()
    face = options.silent and silentFace or interactiveFace
    local given
    if options.folder ~= "" then
        local reason
        given, reason = commandLineFolder(options.folder)
        if not given then
            log("install folder refused: " .. options.folder .. ": " .. reason)
            if not options.silent then
                showMessageBox(reason, "错误", MB_OK + MB_ICONEXCLAMATION)
            end
            return EXIT_BAD_ARGUMENTS
        end
    end

    if options.silent then
        runSilently(given)
    else
        setupWindow(given)
        window:showDialog()
    end
    -- a silent run answers "not now"; /NORESTART never asks
    if restartNeeded and not options.silent and not options.noRestart then
        if showMessageBox(PROGRAM_NAME .. "需要重启电脑才能正常使用，是否立即重启?", "提示", MB_OKCANCEL + MB_ICONQUESTION) == IDOK then
            reboot()
        end
    end
    return exitCode
end

local exit = main()
if setExitCode then
    setExitCode(exit)
end
