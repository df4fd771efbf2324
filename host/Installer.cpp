// Start-up and tear-down: the installer mutex, the restart check, cleanup, and the UI script run.
#include "Installer.h"

#include "ExitCodes.h"
#include "NamedResources.h"
#include "PreInstallCleanup.h"
#include "RestartCheck.h"
#include "SelfCheck.h"
#include "SetupLog.h"
#include "SetupScriptFunctions.h"
#include "ToolkitParts.h"

#include <MessageBox.h>
#include <SRService.h>
#include <ScriptState.h>
#include <StyleRegistry.h>
#include <Toolkit.h>
#include <WindowBase.h>
#include <WindowMarkup.h>
#include <platform/Com.h>
#include <platform/Handle.h>
#include <platform/StartupTrace.h>
#include <platform/StepLog.h>

#include <windows.h>

#include <string>

const NamedResource kNamedResources[5] = {
#define ORVO_NAMED_RESOURCE(id, name) {name, id},
    ORVO_NAMED_RESOURCES(ORVO_NAMED_RESOURCE)
#undef ORVO_NAMED_RESOURCE
};

namespace {

constexpr wchar_t kNoticeTitle[] = L"提示";
constexpr wchar_t kAlreadyRunning[] = L"检测到Orvo安装或卸载程序正在运行，请结束后重试。";
constexpr wchar_t kRestartPending[] = L"检测到Orvo安装或卸载操作尚未完成，需要重启电脑。";
constexpr wchar_t kErrorTitle[] = L"错误";
constexpr wchar_t kDamaged[] = L"安装程序已损坏，请重新下载。";

void writeToSetupLog(const std::wstring& line)
{
    setupLog().write(line);
}

// A silent run's boxes: nothing is shown, and the answer is the one that changes nothing (OK
// where OK is all there is, otherwise Cancel or No). The flow asks no questions when silent; this
// covers the boxes native code shows on its own (a script error, a refusal at start).
int answerUnseen(HWND, const wchar_t*, const wchar_t*, UINT style)
{
    switch (style & MB_TYPEMASK) {
    case MB_OK:
        return IDOK;
    case MB_ABORTRETRYIGNORE:
        return IDABORT;
    case MB_YESNO:
        return IDNO;
    default:
        return IDCANCEL;
    }
}

// The run's switches put in place for as long as it lives: the log and, when silent, unseen
// boxes. Ends by logging the exit code and restoring both.
class RunSetup {
public:
    RunSetup(const std::wstring& commandLine, unsigned switches)
        : options_(parseSetupOptions(commandLine, switches)), switches_(switches)
    {
        if (!options_.logPath.empty()) {
            if (setupLog().open(options_.logPath))
                platform::stepLogSink().store(writeToSetupLog);
            else
                OutputDebugStringW((L"Installer: the log cannot be written: " + options_.logPath + L"\n").c_str());
        }
        if (options_.silent)
            previousBoxes_ = setMessageBoxHandler(answerUnseen);
        platform::logStep(L"command line: " + commandLine);
    }
    ~RunSetup()
    {
        if (options_.silent)
            setMessageBoxHandler(previousBoxes_);
        platform::stepLogSink().store(nullptr);
        setupLog().close();
    }
    RunSetup(const RunSetup&) = delete;
    RunSetup& operator=(const RunSetup&) = delete;

    const SetupOptions& options() const { return options_; }
    unsigned switches() const { return switches_; }
    int finish(int code, const std::wstring& why)
    {
        platform::logStep(why + L"; exit code " + std::to_wstring(code));
        return code;
    }

private:
    SetupOptions options_;
    unsigned switches_;
    MessageBoxHandler previousBoxes_ = nullptr;
};

} // namespace

std::unique_ptr<FileSystem> makeResourceFileSystem()
{
    auto files = std::make_unique<ResourceFileSystem>();
    for (const NamedResource& resource : kNamedResources)
        files->addResource(resource.name, resource.id);
    return files;
}

namespace {

// The whole sequence; with `host.checkSelf`, the executable checks itself before anything else.
int runSequence(const FileSystemFactory& makeFileSystem, const HostOptions& host)
{
    RunSetup run(host.commandLine, host.switches);
    const SetupOptions& options = run.options();
    // First of all: a damaged copy (a download cut short, a bad sector) must not take the lock,
    // stop a process or touch a file or registry value. The reason goes to the debugger and the
    // log; the user is told to download again (a silent run shows nothing).
    if (host.checkSelf) {
        platform::StartupPhase tracedCheck(L"self-check");
        std::wstring damage = checkInstaller();
        tracedCheck.end();
        if (!damage.empty()) {
            OutputDebugStringW((L"Installer: damaged: " + damage + L"\n").c_str());
            platform::logStep(std::wstring(kDamaged) + L" (" + damage + L")");
            showMessageBox(nullptr, kDamaged, kErrorTitle, MB_OK | MB_ICONERROR);
            return run.finish(exitcode::kFailed, L"the installer is damaged, nothing done");
        }
        platform::logStep(L"check: the installer is whole");
    }
    if (!options.error.empty()) {
        platform::logStep(options.error);
        platform::logStep(L"usage: " + setupUsageText(run.switches()));
        return run.finish(exitcode::kBadArguments, L"bad arguments, nothing done");
    }
    if (options.showUsage) {
        if (!options.silent)
            showMessageBox(nullptr, setupUsageText(run.switches()).c_str(), kNoticeTitle, MB_OK);
        return run.finish(exitcode::kSuccess, L"usage shown, nothing done");
    }

    platform::StartupPhase tracedChecks(L"lock and restart check");
    // lock: a second installer or uninstaller of the family is refused; a failed call is not
    platform::UniqueHandle mutex(CreateMutexW(nullptr, TRUE, kInstallerMutexName));
    if (mutex && GetLastError() == ERROR_ALREADY_EXISTS) {
        mutex.reset();
        showMessageBox(nullptr, kAlreadyRunning, kNoticeTitle, MB_OK);
        return run.finish(exitcode::kAlreadyRunning, L"another installer or uninstaller runs");
    }
    setInstallerMutex(mutex.release());
    platform::logStep(L"check: no other installer or uninstaller runs");

    // An earlier installation waits for a reboot: refuse before touching any file, process or
    // folder. The mutex stays held until the process ends, so no other copy starts meanwhile.
    if (isRestartPending()) {
        showMessageBox(nullptr, kRestartPending, kNoticeTitle, MB_OK);
        return run.finish(exitcode::kRestartPending, L"an earlier install waits for a restart");
    }
    platform::logStep(L"check: no restart pending");
    tracedChecks.end();

    if (host.preInstallCleanup) {
        platform::StartupPhase traced(L"pre-install cleanup");
        runPreInstallCleanup();
        platform::logStep(L"pre-install cleanup done");
    }

    // named files: the most recently constructed file system becomes the current one
    platform::StartupPhase tracedResources(L"registering resources");
    std::unique_ptr<FileSystem> files = makeFileSystem();
    tracedResources.end();

    platform::StartupPhase tracedOle(L"OLE");
    platform::OleScope ole;
    tracedOle.end();
    platform::StartupPhase tracedToolkit(L"task service and toolkit");
    SRService::start();
    installToolkitParts();
    const bool toolkitStarted = Toolkit::start();
    tracedToolkit.end();
    if (!toolkitStarted) {
        SRService::stop();
        releaseInstallerMutex();
        showMessageBox(nullptr, L"安装程序无法启动：无法创建窗口。", L"错误", MB_OK);
        return run.finish(exitcode::kFailed, L"the toolkit could not start");
    }
    // Both packages are resources of this executable. Should one be unusable, the installer goes
    // on: a window then fails to build with a script error that says why, instead of a silent exit.
    std::wstring problem;
    platform::StartupPhase tracedStyle(L"style package and fonts");
    if (!loadStylePackage(L"style.lz", &problem))
        OutputDebugStringW((L"Installer: " + problem + L"\n").c_str());
    tracedStyle.end();
    platform::StartupPhase tracedFrame(L"window markup package");
    if (!loadFramePackage(L"frame.lz", &problem))
        OutputDebugStringW((L"Installer: " + problem + L"\n").c_str());
    tracedFrame.end();

    platform::StartupPhase tracedState(L"script state");
    createUiScriptState(&uiScriptState);
    if (uiScriptState)
        registerSetupFunctions(uiScriptState, options);
    if (uiScriptState && host.prepareScript)
        host.prepareScript(uiScriptState);
    tracedState.end();
    platform::startupMark(L"UI.lua starts");
    // A script that ends without choosing a code ran to its end: success, as before switches.
    const bool ran = runScriptFile(&uiScriptState, L"UI.lua");
    const int code = ran ? scriptExitCode(exitcode::kSuccess) : exitcode::kFailed;

    // tear-down, in reverse: windows the script left open go before the toolkit they use
    WindowBase::destroyAll();
    Toolkit::shutdown();
    // Waits for every thread handed to the service, so a worker still extracting keeps us alive.
    SRService::stop();
    releaseInstallerMutex();
    files.reset();
    return run.finish(code, ran ? L"the installer script ended" : L"the installer script failed");
}

} // namespace

int runInstaller(const std::wstring& commandLine)
{
    HostOptions host;
    host.commandLine = commandLine;
    host.checkSelf = true;
    return runSetupProgram(host);
}

int runInstaller(const FileSystemFactory& makeFileSystem, const std::wstring& commandLine)
{
    HostOptions host;
    host.commandLine = commandLine;
    return runSequence(makeFileSystem, host);
}

int runSetupProgram(const HostOptions& options, const FileSystemFactory& makeFileSystem)
{
    return runSequence(makeFileSystem, options);
}
