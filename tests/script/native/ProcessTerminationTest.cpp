// Stopping processes by image path: the calling process is never among those stopped, and a
// list of names only ever yields executables inside the folder it is checked against.
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

std::wstring ownFolder()
{
    std::wstring path = ownPath();
    return path.substr(0, path.find_last_of(L"\\/") + 1);
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

TEST(ProcessTermination, WithoutWaitingSparesTheCallingProcess)
{
    terminateByModulePathNoWait(ownPath());
    // no wait is the point of this routine: give a stray termination time to land
    Sleep(200);
    SUCCEED() << "still running";
}

TEST(ProcessTermination, TheCallingProcessStillCountsAsRunning)
{
    EXPECT_TRUE(isModuleRunning(ownPath()));
    EXPECT_TRUE(equalsIgnoringCase(L"Nubelo.EXE", L"nubelo.exe"));
}

TEST(ProcessTermination, ProductExecutablesAreFilesOfTheFolderOnly)
{
    std::wstring folder = ownFolder();
    std::wstring own = ownPath().substr(folder.size());
    struct Case {
        std::wstring entry;
        bool kept;
    } cases[] = {
        {own, true},
        {L"C:\\elsewhere\\" + own, true},   // only the name counts, and it is taken in the folder
        {L"explorer.exe", false},             // no such file in the folder
        {L"..\\" + own, true},               // reduced to its name as well
        {L"..", false},
        {L"x:.exe", false},
        {L"", false},
    };
    for (const Case& c : cases) {
        std::vector<std::wstring> found = productExecutables(folder, {c.entry});
        EXPECT_EQ(found.size(), c.kept ? 1u : 0u) << std::string(c.entry.begin(), c.entry.end());
        if (c.kept && !found.empty())
            EXPECT_TRUE(equalsIgnoringCase(found[0], ownPath()));
    }
    EXPECT_EQ(productExecutables(folder, {own, own}).size(), 1u) << "duplicates dropped";
    EXPECT_TRUE(productExecutables(L"", {own}).empty());
}
