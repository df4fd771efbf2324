// Start-up and tear-down: the installer mutex, the restart check, cleanup, and the UI script run.
#include "Installer.h"

#include "ExitCodes.h"
#include "NamedResources.h"
#include "PreInstallCleanup.h"
#include "RestartCheck.h"
#include "SelfCheck.h"
#include "SetupLog.h"
#include "SetupOptions.h"
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

// A damaged executable: one box, or in a silent run the reason in the log (/LOG, the only file
// such a run writes, because it was asked for), and the exit code of a failed install.
int refuseDamaged(const std::wstring& reason)
{
    OutputDebugStringW((L"Installer: damaged: " + reason + L"\n").c_str());
    SetupOptions options = parseSetupOptions(GetCommandLineW());
    if (!options.silent) {
        showMessageBox(nullptr, kDamaged, kErrorTitle, MB_OK | MB_ICONERROR);
        return exitcode::kFailed;
    }
    if (!options.logPath.empty() && setupLog().open(options.logPath)) {
        setupLog().write(std::wstring(kDamaged) + L" (" + reason + L")");
        setupLog().close();
    }
    return exitcode::kFailed;
}

} // namespace

std::unique_ptr<FileSystem> makeResourceFileSystem()
{
    auto files = std::make_unique<ResourceFileSystem>();
    for (const NamedResource& resource : kNamedResources)
        files->addResource(resource.name, resource.id);
    return files;
}

int runInstaller()
{
    // First of all: a damaged copy (a download cut short, a bad sector) must not take the lock,
    // stop a process or touch a file or registry value. The reason goes to the debugger (and the
    // log of a silent run); the user is told to download again.
    std::wstring damage = checkInstaller();
    if (!damage.empty())
        return refuseDamaged(damage);
    return runInstaller(makeResourceFileSystem);
}

int runInstaller(const FileSystemFactory& makeFileSystem)
{
    // lock: a second installer or uninstaller of the family is refused; a failed call is not
    platform::UniqueHandle mutex(CreateMutexW(nullptr, TRUE, kInstallerMutexName));
    if (mutex && GetLastError() == ERROR_ALREADY_EXISTS) {
        mutex.reset();
        showMessageBox(nullptr, kAlreadyRunning, kNoticeTitle, MB_OK);
        return 0;
    }
    setInstallerMutex(mutex.release());

    // An earlier installation waits for a reboot: refuse before touching any file, process or
    // folder. The mutex stays held until the process ends, so no other copy starts meanwhile.
    if (isRestartPending()) {
        showMessageBox(nullptr, kRestartPending, kNoticeTitle, MB_OK);
        return 0;
    }

    runPreInstallCleanup();

    // named files: the most recently constructed file system becomes the current one
    std::unique_ptr<FileSystem> files = makeFileSystem();

    platform::OleScope ole;
    SRService::start();
    installToolkitParts();
    Toolkit::start();
    // Both packages are resources of this executable. Should one be unusable, the installer goes
    // on: a window then fails to build with a script error that says why, instead of a silent exit.
    std::wstring problem;
    if (!loadStylePackage(L"style.lz", &problem))
        OutputDebugStringW((L"Installer: " + problem + L"\n").c_str());
    if (!loadFramePackage(L"frame.lz", &problem))
        OutputDebugStringW((L"Installer: " + problem + L"\n").c_str());

    createUiScriptState(&uiScriptState);
    runScriptFile(&uiScriptState, L"UI.lua");

    // tear-down, in reverse: windows the script left open go before the toolkit they use
    WindowBase::destroyAll();
    Toolkit::shutdown();
    // Waits for every thread handed to the service, so a worker still extracting keeps us alive.
    SRService::stop();
    releaseInstallerMutex();
    files.reset();
    return 0;
}
