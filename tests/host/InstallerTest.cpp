// The start-up sequence in-process: both refusals, the cleanup before the named files, the UI.lua run.
#include <FileTree.h>
#include <Installer.h>
#include <PreInstallCleanup.h>

#include "InstallerState.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace testing_support;

TEST(Installer, SecondCopyIsRefusedWithTheNoticeAndExits1618)
{
    HANDLE first = CreateMutexW(nullptr, TRUE, kInstallerMutexName);
    ASSERT_NE(first, nullptr);
    MessageBoxCapture capture;
    EXPECT_EQ(runInstaller(), 1618);
    auto boxes = capture.boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, L"检测到Orvo安装或卸载程序正在运行，请结束后重试。");
    EXPECT_EQ(boxes[0].title, L"提示");
    EXPECT_EQ(boxes[0].style, UINT(MB_OK));
    // The refused copy leaves the first one's mutex alone.
    HANDLE probe = CreateMutexW(nullptr, FALSE, kInstallerMutexName);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ALREADY_EXISTS));
    CloseHandle(probe);
    CloseHandle(first);
}

TEST(Installer, RunsTheResourceScriptAndReleasesTheMutexAtTheEnd)
{
    TempDir dir;
    // The script reads it with the C library's getenv, which only _wputenv updates.
    _wputenv((L"ORVO_TEST_OUT=" + dir.file(L"ran.txt")).c_str());
    MessageBoxCapture capture;
    EXPECT_EQ(runInstaller(), 0);
    EXPECT_TRUE(capture.boxes().empty()) << narrow(capture.boxes()[0].text);
    EXPECT_EQ(readFile(dir.file(L"ran.txt")), "ran from resources");
    EXPECT_FALSE(releaseInstallerMutex()) << "tear-down must have closed the mutex";
    HANDLE probe = CreateMutexW(nullptr, FALSE, kInstallerMutexName);
    EXPECT_NE(GetLastError(), DWORD(ERROR_ALREADY_EXISTS));
    CloseHandle(probe);
}

namespace {

bool exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The real folders the cleanup works on in this prefix, filled with leftovers and emptied again.
class Leftovers {
public:
    Leftovers()
        : nubelo(systemSpecialFolder(26).value_or(L"") + L"\\Nubelo"),
          shortcuts(systemSpecialFolder(24).value_or(L"") + L"\\OrvoPelora")
    {
        createDirectoryChain(nubelo + L"\\codecs");
        createDirectoryChain(shortcuts);
        writeFile(nubelo + L"\\settings.ini", "old");
        SetFileAttributesW((nubelo + L"\\settings.ini").c_str(), FILE_ATTRIBUTE_READONLY);
        writeFile(shortcuts + L"\\Pelora.lnk", "old");
    }
    ~Leftovers()
    {
        deleteTree(nubelo, true);
        deleteTree(shortcuts, true);
    }
    const std::wstring nubelo, shortcuts;
};

} // namespace

TEST(InstallerStartUp, PendingRestartIsRefusedBeforeAnythingIsTouched)
{
    ShutdownTimeGuard stamp;
    ASSERT_TRUE(stamp.set({1, 2, 3, 4, 5, 6, 7, 8}));
    writeRestartMarker();
    Leftovers leftovers;
    bool filesMade = false;
    MessageBoxCapture capture;
    EXPECT_EQ(runInstaller([&] {
                  filesMade = true;
                  return std::make_unique<LocalFileSystem>(L"C:\\");
              }),
              3017);
    auto boxes = capture.boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, L"检测到Orvo安装或卸载操作尚未完成，需要重启电脑。");
    EXPECT_EQ(boxes[0].title, L"提示");
    EXPECT_EQ(boxes[0].style, UINT(MB_OK));
    EXPECT_FALSE(filesMade);
    EXPECT_EQ(readFile(leftovers.nubelo + L"\\settings.ini"), "old");
    EXPECT_EQ(readFile(leftovers.shortcuts + L"\\Pelora.lnk"), "old");
    EXPECT_TRUE(markerExists()) << "the marker stays for the next start";
    EXPECT_TRUE(releaseInstallerMutex()) << "the mutex stays held after the refusal";
}

TEST(InstallerStartUp, StaleMarkerIsDeletedAndStartUpGoesOn)
{
    ShutdownTimeGuard stamp;
    ASSERT_TRUE(stamp.set({1, 2, 3, 4, 5, 6, 7, 8}));
    writeRestartMarker();
    ASSERT_TRUE(stamp.set({1, 2, 3, 4, 5, 6, 7, 9}));
    TempDir dir;
    writeFile(dir.file(L"UI.lua"), "");
    MessageBoxCapture capture;
    EXPECT_EQ(runInstaller([&] { return std::make_unique<LocalFileSystem>(dir.path()); }), 0);
    EXPECT_TRUE(capture.boxes().empty());
    EXPECT_FALSE(markerExists());
}

TEST(InstallerStartUp, LeftoversAreCleanedBeforeTheNamedFilesAndTheScript)
{
    ShutdownTimeGuard stamp;
    Leftovers leftovers;
    TempDir dir;
    std::wstring seen = dir.file(L"seen.txt");
    writeFile(dir.file(L"UI.lua"), "local f = assert(io.open([==[" + narrow(seen) + "]==], 'w'))\n"
                                   "f:write(io.open([==[" + narrow(leftovers.nubelo) + "\\settings.ini]==]) and 'left' or 'gone')\n"
                                   "f:close()\n");
    bool cleanedFirst = false;
    MessageBoxCapture capture;
    EXPECT_EQ(runInstaller([&] {
                  cleanedFirst = !exists(leftovers.nubelo) && !exists(leftovers.shortcuts + L"\\Pelora.lnk");
                  return std::make_unique<LocalFileSystem>(dir.path());
              }),
              0);
    EXPECT_TRUE(capture.boxes().empty());
    EXPECT_TRUE(cleanedFirst);
    EXPECT_EQ(readFile(seen), "gone");
}
