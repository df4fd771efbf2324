// The development runner in-process: bad usage, a folder's UI.lua, and its script errors.
#include <DevelopmentRunner.h>
#include <InstallerMutex.h>

#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

int run(std::vector<std::wstring> args)
{
    args.insert(args.begin(), L"orvo-run.exe");
    std::vector<wchar_t*> argv;
    for (std::wstring& arg : args)
        argv.push_back(&arg[0]);
    return runDevelopmentRunner(int(argv.size()), argv.data());
}

} // namespace

TEST(DevelopmentRunner, NoFolderIsAUsageError)
{
    MessageBoxCapture capture;
    EXPECT_EQ(run({}), 2);
    auto boxes = capture.boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find(L"Usage: orvo-run.exe FOLDER"), std::wstring::npos);
}

TEST(DevelopmentRunner, MissingFolderOrAFileIsAUsageError)
{
    TempDir dir;
    writeFile(dir.file(L"file.txt"), "");
    MessageBoxCapture capture;
    EXPECT_EQ(run({dir.file(L"missing")}), 2);
    EXPECT_EQ(run({dir.file(L"file.txt")}), 2);
    EXPECT_EQ(run({dir.path(), L"extra"}), 2);
    auto boxes = capture.boxes();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_NE(boxes[0].text.find(L"folder not found"), std::wstring::npos);
}

TEST(DevelopmentRunner, RunsTheFoldersScriptWithTheSystemApi)
{
    TempDir dir;
    std::string out = narrow(dir.file(L"ran.txt"));
    writeFile(dir.file(L"UI.lua"), "local f = io.open([[" + out + "]], 'w')\n"
                                   "f:write(tostring(fileExists([[" + out + "]])))\nf:close()\n");
    // Without a trailing separator: the runner adds it.
    std::wstring folder = dir.path();
    folder.pop_back();
    MessageBoxCapture capture;
    EXPECT_EQ(run({folder}), 0);
    EXPECT_TRUE(capture.boxes().empty());
    EXPECT_EQ(readFile(dir.file(L"ran.txt")), "true");
    EXPECT_FALSE(releaseInstallerMutex()) << "tear-down closed the mutex";
}

TEST(DevelopmentRunner, ScriptErrorsShowTheErrorBox)
{
    TempDir dir;
    writeFile(dir.file(L"UI.lua"), "-- try me\nlocal x = nil\nx.field = 1\n");
    MessageBoxCapture capture;
    EXPECT_EQ(run({dir.path()}), 1603);
    auto boxes = capture.boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, L"错误");
    EXPECT_EQ(boxes[0].text.rfind(L"[string \"-- try me...\"]:3:", 0), 0u) << narrow(boxes[0].text);
}

TEST(DevelopmentRunner, TrailingQuoteLeftByTheCommandLineIsIgnored)
{
    TempDir dir;
    std::string out = narrow(dir.file(L"ran.txt"));
    writeFile(dir.file(L"UI.lua"), "io.open([[" + out + "]], 'w'):close()\n");
    MessageBoxCapture capture;
    EXPECT_EQ(run({dir.path() + L"\""}), 0);
    EXPECT_TRUE(capture.boxes().empty());
    EXPECT_EQ(GetFileAttributesW(dir.file(L"ran.txt").c_str()) != INVALID_FILE_ATTRIBUTES, true);
}
