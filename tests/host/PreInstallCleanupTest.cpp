// The pre-install cleanup: processes stopped by executable name, the two folders deleted.
#include <PreInstallCleanup.h>
#include <ProcessTermination.h>

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <map>

using namespace testing_support;

namespace {

std::wstring windowsPath(const char* unixPath)
{
    std::wstring path = L"Z:" + widen(unixPath);
    for (wchar_t& c : path)
        if (c == L'/')
            c = L'\\';
    return path;
}

bool exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void makeReadOnly(const std::wstring& path)
{
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
}

// Resolves the two folders the cleanup asks for to folders of the test; a missing entry does not
// resolve.
SpecialFolderLookup foldersOf(std::map<int, std::wstring> folders)
{
    return [folders](int csidl) -> std::optional<std::wstring> {
        auto found = folders.find(csidl);
        if (found == folders.end())
            return std::nullopt;
        return found->second;
    };
}

// A copy of the helper program waiting to be stopped.
class Waiter {
public:
    explicit Waiter(const std::wstring& exe)
    {
        std::wstring commandLine = L"\"" + exe + L"\" wait";
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        if (CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info_))
            CloseHandle(info_.hThread);
    }
    ~Waiter()
    {
        if (info_.hProcess) {
            TerminateProcess(info_.hProcess, 0);
            WaitForSingleObject(info_.hProcess, 5000);
            CloseHandle(info_.hProcess);
        }
    }
    bool started() const { return info_.hProcess != nullptr; }
    // The exit code, or STILL_ACTIVE when it is still running after `ms`.
    DWORD exitCode(DWORD ms) const
    {
        WaitForSingleObject(info_.hProcess, ms);
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(info_.hProcess, &code);
        return code;
    }

private:
    PROCESS_INFORMATION info_{};
};

class PreInstallCleanup : public ::testing::Test {
protected:
    void SetUp() override
    {
        appData = dir.file(L"Roaming");
        startup = dir.file(L"Startup");
        CreateDirectoryW(appData.c_str(), nullptr);
        CreateDirectoryW(startup.c_str(), nullptr);
    }

    TempDir dir;
    std::wstring appData, startup;   // as the platform gives them: no trailing separator
};

} // namespace

TEST_F(PreInstallCleanup, ApplicationDataTreeGoesWithReadOnlyFiles)
{
    std::wstring nubelo = appData + L"\\Nubelo";
    CreateDirectoryW(nubelo.c_str(), nullptr);
    CreateDirectoryW((nubelo + L"\\cache").c_str(), nullptr);
    writeFile(nubelo + L"\\settings.ini", "a");
    writeFile(nubelo + L"\\cache\\locked.bin", "b");
    makeReadOnly(nubelo + L"\\cache\\locked.bin");
    makeReadOnly(nubelo + L"\\cache");
    writeFile(appData + L"\\other.txt", "stays");

    runPreInstallCleanup(foldersOf({{26, appData}, {24, startup}}));

    EXPECT_FALSE(exists(nubelo));
    EXPECT_EQ(readFile(appData + L"\\other.txt"), "stays");
}

TEST_F(PreInstallCleanup, OldShortcutFolderGoesButReadOnlyFilesStay)
{
    std::wstring shortcuts = startup + L"\\OrvoPelora";
    CreateDirectoryW(shortcuts.c_str(), nullptr);
    writeFile(shortcuts + L"\\Pelora.lnk", "link");
    writeFile(shortcuts + L"\\pinned.lnk", "pinned");
    makeReadOnly(shortcuts + L"\\pinned.lnk");
    writeFile(startup + L"\\Other.lnk", "other");

    runPreInstallCleanup(foldersOf({{26, appData}, {24, startup}}));

    EXPECT_FALSE(exists(shortcuts + L"\\Pelora.lnk"));
    EXPECT_EQ(readFile(shortcuts + L"\\pinned.lnk"), "pinned");
    EXPECT_TRUE(exists(shortcuts)) << "a folder that still holds a file stays";
    EXPECT_EQ(readFile(startup + L"\\Other.lnk"), "other");
    SetFileAttributesW((shortcuts + L"\\pinned.lnk").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(PreInstallCleanup, NothingToCleanChangesNothing)
{
    writeFile(appData + L"\\other.txt", "stays");
    runPreInstallCleanup(foldersOf({{26, appData}, {24, startup}}));
    EXPECT_EQ(readFile(appData + L"\\other.txt"), "stays");
    EXPECT_TRUE(exists(startup));
}

TEST_F(PreInstallCleanup, UnresolvedStartupFolderSkipsOnlyTheShortcutStep)
{
    CreateDirectoryW((appData + L"\\Nubelo").c_str(), nullptr);
    CreateDirectoryW((startup + L"\\OrvoPelora").c_str(), nullptr);
    runPreInstallCleanup(foldersOf({{26, appData}}));
    EXPECT_FALSE(exists(appData + L"\\Nubelo"));
    EXPECT_TRUE(exists(startup + L"\\OrvoPelora"));
}

TEST_F(PreInstallCleanup, UnresolvedApplicationDataSkipsItsSteps)
{
    CreateDirectoryW((appData + L"\\Nubelo").c_str(), nullptr);
    CreateDirectoryW((startup + L"\\OrvoPelora").c_str(), nullptr);
    runPreInstallCleanup(foldersOf({{24, startup}}));
    EXPECT_TRUE(exists(appData + L"\\Nubelo"));
    EXPECT_FALSE(exists(startup + L"\\OrvoPelora"));
}

TEST_F(PreInstallCleanup, AnEmptyFolderAnswerNeverReachesTheDriveRoot)
{
    // "" + "\Nubelo\" would name the folder at the root of the current drive
    wchar_t saved[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, saved);
    ASSERT_TRUE(SetCurrentDirectoryW(L"C:\\"));
    CreateDirectoryW(L"C:\\Nubelo", nullptr);
    HANDLE file = CreateFileW(L"C:\\Nubelo\\keep.txt", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(file);
    runPreInstallCleanup(foldersOf({{26, L""}, {24, L""}}));
    EXPECT_TRUE(exists(L"C:\\Nubelo\\keep.txt"));
    DeleteFileW(L"C:\\Nubelo\\keep.txt");
    RemoveDirectoryW(L"C:\\Nubelo");
    SetCurrentDirectoryW(saved);
}

// Only what runs from the codecs folder itself is stopped: a file planted there under another
// program's name (explorer.exe, say) stops nothing elsewhere.
TEST_F(PreInstallCleanup, StopsCodecProcessesByPathAndNothingElsewhere)
{
    std::wstring helper = windowsPath(ORVO_TEST_HELPER);
    std::wstring codecs = appData + L"\\Nubelo\\codecs\\";
    std::wstring elsewhere = dir.file(L"elsewhere\\");
    CreateDirectoryW((appData + L"\\Nubelo").c_str(), nullptr);
    CreateDirectoryW(codecs.c_str(), nullptr);
    CreateDirectoryW(elsewhere.c_str(), nullptr);
    for (const wchar_t* name : {L"orvocodec-host.exe", L"nubmon.exe"}) {
        ASSERT_TRUE(CopyFileW(helper.c_str(), (codecs + name).c_str(), FALSE));
        ASSERT_TRUE(CopyFileW(helper.c_str(), (elsewhere + name).c_str(), FALSE));
    }

    Waiter codec(codecs + L"orvocodec-host.exe");
    Waiter codecMonitor(codecs + L"nubmon.exe");
    Waiter sameName(elsewhere + L"orvocodec-host.exe");
    Waiter monitor(elsewhere + L"nubmon.exe");
    ASSERT_TRUE(codec.started() && codecMonitor.started() && sameName.started() && monitor.started());
    Sleep(300);

    runPreInstallCleanup(foldersOf({{26, appData}, {24, startup}}));

    EXPECT_EQ(codec.exitCode(5000), kTerminatedExitCode);
    EXPECT_EQ(codecMonitor.exitCode(5000), kTerminatedExitCode);
    EXPECT_EQ(sameName.exitCode(0), DWORD(STILL_ACTIVE)) << "a same-named program elsewhere is left alone";
    EXPECT_EQ(monitor.exitCode(0), DWORD(STILL_ACTIVE)) << "so is a monitor elsewhere";
    EXPECT_FALSE(exists(appData + L"\\Nubelo")) << "the stopped codec no longer holds its folder";
}

TEST(PreInstallCleanupFolders, PlatformResolvesBothFolders)
{
    std::optional<std::wstring> appData = systemSpecialFolder(26);
    std::optional<std::wstring> startup = systemSpecialFolder(24);
    ASSERT_TRUE(appData && startup);
    EXPECT_NE(appData->back(), L'\\');
    EXPECT_NE(startup->back(), L'\\');
    EXPECT_NE(*appData, *startup);
}
