// The installer's start-up and tear-down sequence, from the single-instance lock to exit.
#pragma once

#include <FileSystem.h>
#include <InstallerMutex.h>
#include "SetupOptions.h"

#include <functional>
#include <memory>
#include <string>

// Makes the file system that serves the named files for one run; called once the single-instance
// lock is held, and the result becomes the current file system until tear-down.
using FileSystemFactory = std::function<std::unique_ptr<FileSystem>()>;

struct lua_State;

// What a program built on the installer's sequence changes in it (the uninstaller, for one).
struct HostOptions {
    // The raw command line, program name first (GetCommandLineW), or empty for none.
    std::wstring commandLine;
    // The switches it may hold (SetupOptions.h); any other is refused with 87.
    unsigned switches = kInstallerSwitches;
    bool preInstallCleanup = true;
    // Checks the executable against its digest resource before anything else (SelfCheck.h): a
    // damaged one shows "安装程序已损坏，请重新下载。" and ends with 1603. The installer's own.
    bool checkSelf = false;
    // Adds the program's own globals to the UI script state before UI.lua runs.
    std::function<void(lua_State*)> prepareScript;
};

// Runs the whole installer on the calling thread, which becomes the UI thread, with the named
// files from the executable's resources. `commandLine` is the raw command line, program name
// first (GetCommandLineW), or empty for none. Before anything else the executable checks itself
// (SelfCheck.h): a damaged one shows "安装程序已损坏，请重新下载。" and returns 1603. Otherwise returns the process exit code (host/ExitCodes.h):
// 87 for bad switches, 1618 when another installer runs, 3017 when an earlier install waits for a
// restart, 1603 when the UI script fails, otherwise what the UI script chose (0 when it chose none).
int runInstaller(const std::wstring& commandLine = {});

// The file system over the executable's five named resources.
std::unique_ptr<FileSystem> makeResourceFileSystem();

// The same sequence with the named files served by `makeFileSystem` (the development runner's
// folder, for one).
int runInstaller(const FileSystemFactory& makeFileSystem, const std::wstring& commandLine = {});

// The same sequence over the executable's resources (or the files `makeFileSystem` serves),
// changed as `options` say.
int runSetupProgram(const HostOptions& options, const FileSystemFactory& makeFileSystem = makeResourceFileSystem);

// The resource names and ids the executable carries, in registration order.
struct NamedResource {
    const wchar_t* name;
    int id;
};
extern const NamedResource kNamedResources[5];
