// Process entry point of the uninstaller: the started process runs a temporary copy and returns
// its result; the copy runs the uninstaller's scripts over the install folder it was handed.
#include "SelfCopy.h"
#include "UninstallerScript.h"

#include <Installer.h>
#include <JournalFunctions.h>
#include <SetupOptions.h>

#include <windows.h>

#include <string>

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

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    const std::wstring commandLine = GetCommandLineW();
    CopyLink link;
    HostOptions options;
    if (!readCopyLink(commandLine, &link, &options.commandLine))
        return runFromTemporaryCopy(switchesOf(commandLine));

    options.switches = kUninstallerSwitches;
    // the cleanup before an install removes folders wholesale; an uninstall removes what the
    // journal lists and nothing else
    options.preInstallCleanup = false;
    options.prepareScript = [&link](lua_State* L) { registerUninstallerFunctions(L, &link.folder); };
    const int code = runSetupProgram(options);
    reportToOriginal(link, code);
    finishDeferredRemoval();
    return code;
}
