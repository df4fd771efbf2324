// Stopping processes by path or name: the calling process is never among those stopped.
#include <ProcessTermination.h>

#include <gtest/gtest.h>

#include <string>

namespace {

std::wstring ownPath()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

std::wstring ownName()
{
    std::wstring path = ownPath();
    return path.substr(path.find_last_of(L"\\/") + 1);
}

} // namespace

// An uninstaller living in the folder it clears, or an installer started from the install
// folder, matches its own path or name: stopping itself would end the run half done.
TEST(ProcessTermination, ByModulePathSparesTheCallingProcess)
{
    terminateByModulePath(ownPath());
    terminateFirstByModulePath(ownPath());
    SUCCEED() << "still running";
}

TEST(ProcessTermination, ByExeNameSparesTheCallingProcess)
{
    terminateByExeName(ownName());
    SUCCEED() << "still running";
}

TEST(ProcessTermination, ByExeNameWithoutWaitingSparesTheCallingProcess)
{
    terminateByExeNameNoWait(ownPath());
    // no wait is the point of this routine: give a stray termination time to land
    Sleep(200);
    SUCCEED() << "still running";
}

TEST(ProcessTermination, TheCallingProcessStillCountsAsRunning)
{
    EXPECT_TRUE(isModuleRunning(ownPath()));
    EXPECT_TRUE(equalsIgnoringCase(L"Nubelo.EXE", L"nubelo.exe"));
}
