// The start-up sequence in-process: the single-instance refusal and the run of the resource UI.lua.
#include <Installer.h>

#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace testing_support;

TEST(Installer, SecondCopyIsRefusedWithTheNoticeAndExitsZero)
{
    HANDLE first = CreateMutexW(nullptr, TRUE, kInstallerMutexName);
    ASSERT_NE(first, nullptr);
    MessageBoxCapture capture;
    EXPECT_EQ(runInstaller(), 0);
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
