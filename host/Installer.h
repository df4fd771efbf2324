// The installer's start-up and tear-down sequence, from the single-instance lock to exit.
#pragma once

#include <FileSystem.h>
#include <InstallerMutex.h>

#include <functional>
#include <memory>

// Makes the file system that serves the named files for one run; called once the single-instance
// lock is held, and the result becomes the current file system until tear-down.
using FileSystemFactory = std::function<std::unique_ptr<FileSystem>()>;

// Runs the whole installer on the calling thread, which becomes the UI thread, with the named
// files from the executable's resources. Before anything else the executable checks itself
// (SelfCheck.h): a damaged one shows "安装程序已损坏，请重新下载。" and returns exitcode::kFailed.
// Otherwise returns the process exit code, 0 on every path (refusals included).
int runInstaller();

// The file system over the executable's five named resources.
std::unique_ptr<FileSystem> makeResourceFileSystem();

// The same sequence with the named files served by `makeFileSystem` (the development runner's
// folder, for one).
int runInstaller(const FileSystemFactory& makeFileSystem);

// The resource names and ids the executable carries, in registration order.
struct NamedResource {
    const wchar_t* name;
    int id;
};
extern const NamedResource kNamedResources[5];
