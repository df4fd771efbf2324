// Start-up and tear-down: the installer mutex, the named resources, and the UI script run.
#include "Installer.h"

#include <FileSystem.h>
#include <MarkupLayer.h>
#include <MessageBox.h>
#include <SRService.h>
#include <ScriptState.h>
#include <StyleRegistry.h>
#include <Toolkit.h>
#include <WindowMarkup.h>

#include <windows.h>
#include <ole2.h>

#include <atomic>
#include <string>

const NamedResource kNamedResources[5] = {
    {L"UI.lua", 111}, {L"frame.lz", 113}, {L"LG.lua", 114}, {L"program.lz", 115}, {L"style.lz", 116},
};

const wchar_t kInstallerMutexName[] = L"Global\\ORVOINSTALLER";

namespace {

constexpr wchar_t kNoticeTitle[] = L"提示";
constexpr wchar_t kAlreadyRunning[] = L"检测到Orvo安装或卸载程序正在运行，请结束后重试。";

// Held from start-up until releaseMutex or the end of tear-down, whichever comes first.
std::atomic<HANDLE> installerMutex{nullptr};

} // namespace

bool releaseInstallerMutex()
{
    HANDLE handle = installerMutex.exchange(nullptr);
    if (!handle)
        return false;
    // Closing the last handle abandons ownership; the family's other programs only ever test
    // for the name's existence, so the mutex is never released with ReleaseMutex.
    CloseHandle(handle);
    return true;
}

int runInstaller()
{
    // lock: a second installer or uninstaller of the family is refused; a failed call is not
    HANDLE mutex = CreateMutexW(nullptr, TRUE, kInstallerMutexName);
    if (mutex && GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        showMessageBox(nullptr, kAlreadyRunning, kNoticeTitle, MB_OK);
        return 0;
    }
    installerMutex = mutex;

    // named resources: the most recently constructed file system becomes the current one
    ResourceFileSystem files;
    for (const NamedResource& resource : kNamedResources)
        files.addResource(resource.name, resource.id);

    OleInitialize(nullptr);
    SRService::start();
    installMarkupLayer();
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

    // tear-down, in reverse
    Toolkit::shutdown();
    // Waits for every thread handed to the service, so a worker still extracting keeps us alive.
    SRService::stop();
    OleUninitialize();
    releaseInstallerMutex();
    return 0;
}
