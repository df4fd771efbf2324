// The setup log on disk: its folder made, UTF-8 lines with a time, whole lines from many threads.
#include <SetupLog.h>

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <regex>
#include <sstream>
#include <thread>
#include <vector>

using namespace testing_support;

namespace {

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        EXPECT_FALSE(line.empty() || line.back() != '\r') << "a line without CRLF: " << line;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        result.push_back(line);
    }
    return result;
}

} // namespace

TEST(SetupLog, MakesItsFolderAndWritesTimedUtf8Lines)
{
    TempDir dir;
    const std::wstring path = dir.file(L"new folder\\deeper/setup.log");
    SetupLog log;
    log.write(L"before open: nowhere");
    ASSERT_TRUE(log.open(path));
    log.write(L"folder C:\\Program Files\\Orvo 安装");
    log.write(L"two\r\nlines");
    log.close();
    log.write(L"after close: nowhere");

    const std::vector<std::string> got = lines(readFile(dir.file(L"new folder\\deeper\\setup.log")));
    ASSERT_EQ(got.size(), 2u);
    const std::regex stamped(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}  (.*))");
    std::smatch match;
    ASSERT_TRUE(std::regex_match(got[0], match, stamped)) << got[0];
    EXPECT_EQ(match[1].str(), "folder C:\\Program Files\\Orvo \xE5\xAE\x89\xE8\xA3\x85");
    ASSERT_TRUE(std::regex_match(got[1], match, stamped)) << got[1];
    EXPECT_EQ(match[1].str(), "two  lines");
}

TEST(SetupLog, ReopeningEmptiesTheFileAndAnUnwritablePathStaysClosed)
{
    TempDir dir;
    const std::wstring path = dir.file(L"setup.log");
    SetupLog log;
    ASSERT_TRUE(log.open(path));
    log.write(L"first run");
    ASSERT_TRUE(log.open(path));
    log.write(L"second run");
    log.close();
    EXPECT_EQ(lines(readFile(path)).size(), 1u);

    // a folder cannot be opened as the log
    EXPECT_FALSE(log.open(dir.path()));
    EXPECT_FALSE(log.isOpen());
}

TEST(SetupLog, LinesFromManyThreadsStayWhole)
{
    TempDir dir;
    const std::wstring path = dir.file(L"threads.log");
    SetupLog log;
    ASSERT_TRUE(log.open(path));
    std::vector<std::thread> writers;
    for (int t = 0; t < 4; ++t)
        writers.emplace_back([&log, t] {
            for (int i = 0; i < 200; ++i)
                log.write(L"thread " + std::to_wstring(t) + L" " + std::wstring(100, L'x'));
        });
    for (std::thread& writer : writers)
        writer.join();
    log.close();
    const std::vector<std::string> got = lines(readFile(path));
    ASSERT_EQ(got.size(), 800u);
    for (const std::string& line : got)
        ASSERT_EQ(line.size(), 25u + 9u + 100u) << line;
}
