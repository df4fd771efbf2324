// Process entry point of the uninstaller: the started process runs a temporary copy and returns
// its result; the copy runs the uninstaller's scripts over the install folder it was handed.
#include "SelfCopy.h"
#include "UninstallerScript.h"

#include <ExitCodes.h>
#include <Installer.h>
#include <JournalFunctions.h>
#include <SetupLog.h>

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
    std::wstring userCommandLine;
    if (!readCopyLink(commandLine, &link, &userCommandLine))
        return runFromTemporaryCopy(switchesOf(commandLine));

    UninstallerRun run(link.folder, userCommandLine);
    HostOptions options;
    // the cleanup before an install removes folders wholesale; an uninstall removes what the
    // journal lists and nothing else
    options.preInstallCleanup = false;
    options.prepareScript = [&run](lua_State* L) { run.registerFunctions(L); };
    int code = exitcode::kSuccess;
    if (!run.ends(&code)) {
        int hostCode = runInstaller(options);
        code = hostCode != exitcode::kSuccess ? hostCode : run.exitCode();
    }
    setupLog().write(L"exit code " + std::to_wstring(code));
    reportToOriginal(link, code);
    finishDeferredRemoval();
    return code;
}
