// The installer's start-up and tear-down sequence, from the single-instance lock to exit.
#pragma once

#include <FileSystem.h>
#include <InstallerMutex.h>

#include <functional>
#include <memory>

// Makes the file system that serves the named files for one run; called once the single-instance
// lock is held, and the result becomes the current file system until tear-down.
using FileSystemFactory = std::function<std::unique_ptr<FileSystem>()>;

struct lua_State;

// What a program built on the installer's sequence changes in it (the uninstaller, for one).
struct HostOptions {
    bool preInstallCleanup = true;
    // Adds the program's own globals to the UI script state before UI.lua runs.
    std::function<void(lua_State*)> prepareScript;
};

// Runs the whole installer on the calling thread, which becomes the UI thread, with the named
// files from the executable's resources. Returns the process exit code, 0 on every path
// (refusals included).
int runInstaller(const HostOptions& options = {});

// The same sequence with the named files served by `makeFileSystem` (the development runner's
// folder, for one).
int runInstaller(const FileSystemFactory& makeFileSystem, const HostOptions& options = {});

// The resource names and ids the executable carries, in registration order.
struct NamedResource {
    const wchar_t* name;
    int id;
};
extern const NamedResource kNamedResources[5];
