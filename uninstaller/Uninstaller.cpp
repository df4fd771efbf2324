// The uninstaller's run: from a temporary copy, over the install folder it was handed.
#include "Uninstaller.h"

#include "SelfCopy.h"
#include "UninstallerScript.h"

#include <FileSystem.h>
#include <Installer.h>
#include <JournalFunctions.h>
#include <NamedResources.h>
#include <SetupOptions.h>

#include <windows.h>

#include <memory>

namespace {

// What follows the program name on a command line, with its leading space.
std::wstring switchesOf(const std::wstring& commandLine)
{
    size_t at = 0;
    if (!commandLine.empty() && commandLine[0] == L'"') {
        at = commandLine.find(L'"', 1);
        at = at == std::wstring::npos ? commandLine.size() : at + 1;
    } else {
        at = commandLine.find(L' ');
        if (at == std::wstring::npos)
            at = commandLine.size();
    }
    return commandLine.substr(at);
}

// The uninstaller's named files: its own script as UI.lua, and the installer's markup and styles.
std::unique_ptr<FileSystem> uninstallerFiles()
{
    auto files = std::make_unique<ResourceFileSystem>();
    files->addResource(L"UI.lua", ORVO_ID_UNINSTALL_SCRIPT);
    files->addResource(L"frame.lz", ORVO_ID_FRAME_PACKAGE);
    files->addResource(L"style.lz", ORVO_ID_STYLE_PACKAGE);
    return files;
}

} // namespace

bool isUninstaller()
{
    size_t size = 0;
    return namedResourceBytes(GetModuleHandleW(nullptr), ORVO_ID_UNINSTALL_SCRIPT, &size) != nullptr;
}

int runUninstaller(const std::wstring& commandLine)
{
    CopyLink link;
    HostOptions options;
    if (!readCopyLink(commandLine, &link, &options.commandLine))
        return runFromTemporaryCopy(switchesOf(commandLine));

    options.switches = kUninstallerSwitches;
    // the cleanup before an install removes folders wholesale; an uninstall removes what the
    // journal lists and nothing else
    options.preInstallCleanup = false;
    options.prepareScript = [&link](lua_State* L) { registerUninstallerFunctions(L, &link.folder); };
    const int code = runSetupProgram(options, uninstallerFiles);
    reportToOriginal(link, code);
    finishDeferredRemoval();
    return code;
}
