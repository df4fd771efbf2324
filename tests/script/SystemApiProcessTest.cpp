// The system functions that start, find and stop processes, the shared process list, and the
// version checks under the versions Wine can report.
#include "LuaTestRunner.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

// Copies of the helper under other names, so that name-based termination touches nothing else.
void copyHelper(const std::wstring& folder, const wchar_t* name)
{
    CreateDirectoryW(folder.c_str(), nullptr);
    ASSERT_TRUE(CopyFileW(helperProgram().c_str(), (folder + name).c_str(), FALSE)) << narrow(folder + name);
}

} // namespace

TEST(SystemApiShell, ShellExecuteResultsExitCodesAndInheritedEnvironment)
{
    TempDir dir;
    expectClean(runLuaTest(L"shell.lua", dir));
}

TEST(SystemApiProcesses, FindAndStopByPathAndName)
{
    TempDir dir;
    std::wstring victims = dir.file(L"victims\\"), elsewhere = dir.file(L"elsewhere\\");
    for (const wchar_t* name : {L"a.exe", L"b.exe", L"nubmon.exe"})
        copyHelper(victims, name);
    copyHelper(elsewhere, L"nubmon.exe");
    CreateDirectoryW(dir.file(L"empty").c_str(), nullptr);
    expectClean(runLuaTest(L"processes.lua", dir, {{"victims", narrow(victims)}, {"elsewhere", narrow(elsewhere)}}));
}

TEST(SystemApiSharedBlock, AbsentListYieldsNothing)
{
    TempDir dir;
    expectClean(runLuaTest(L"shared_block.lua", dir));
}

// Another program may make the list's mapping itself, as a reserved section whose page is never
// committed: reading it faults on Windows. The read is guarded, so the list is simply empty.
// (Wine commits such a page anyway, so here the test only shows the read survives the mapping.)
TEST(SystemApiSharedBlock, AMappingThatFaultsReadsAsNoList)
{
    HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE | SEC_RESERVE, 0, 4096,
                                        L"4DC1097A-58F5-40F4-AD49-F77C1C1B9858");
    ASSERT_NE(mapping, nullptr);
    ASSERT_NE(GetLastError(), DWORD(ERROR_ALREADY_EXISTS)) << "another test's list is still there";
    TempDir dir;
    LuaTestResult result = runLuaTest(L"shared_block.lua", dir);
    CloseHandle(mapping);
    expectClean(result);
}

TEST(SystemApiSharedBlock, ListFilledByAnotherProcessIsReadAndStopped)
{
    TempDir dir;
    std::wstring victims = dir.file(L"victims\\"), elsewhere = dir.file(L"elsewhere\\");
    for (const wchar_t* name : {L"listed.exe", L"other.exe", L"unlisted.exe"})
        copyHelper(victims, name);
    for (const wchar_t* name : {L"explorer.exe", L"other.exe"})
        copyHelper(elsewhere, name);
    // a squatted list: a system program's name, a path elsewhere, a name with no file behind it
    std::string fill = "C:\\Program Files\\Somewhere\\listed.exe;;other.exe;explorer.exe;..\\x.exe;absent.exe;unlisted.exe";
    LuaTestResult result = runLuaTest(L"shared_block.lua", dir,
                                      {{"victims", narrow(victims)}, {"elsewhere", narrow(elsewhere)}, {"fill", fill}});
    writeFile(dir.file(L"stop"), "");
    expectClean(result);
}

namespace {

// Runs the development runner on a folder whose UI.lua writes what isVista and isWin8 say, with
// Wine told to report `version` to that runner alone.
std::string versionSeen(const wchar_t* version)
{
    TempDir dir;
    std::wstring runner = dir.file(L"orvo-version-probe.exe");
    EXPECT_TRUE(CopyFileW(windowsPathOf(ORVO_TEST_RUNNER).c_str(), runner.c_str(), FALSE));
    std::string out = narrow(dir.file(L"seen.txt"));
    std::string script = "local f = assert(io.open([[" + out + "]], 'w'))\n"
                         "f:write(tostring(isVista()), ' ', tostring(isWin8()))\nf:close()\n";
    writeFile(dir.file(L"UI.lua"), script);

    const wchar_t* appKey = L"Software\\Wine\\AppDefaults\\orvo-version-probe.exe";
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, appKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    RegSetValueExW(key, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                   DWORD((wcslen(version) + 1) * sizeof(wchar_t)));
    RegCloseKey(key);

    std::wstring folder = dir.path();
    folder.pop_back();   // a backslash before the closing quote would escape it
    std::wstring commandLine = L"\"" + runner + L"\" \"" + folder + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    std::string seen;
    if (CreateProcessW(runner.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        if (WaitForSingleObject(info.hProcess, 60000) != WAIT_OBJECT_0)
            TerminateProcess(info.hProcess, 1);
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
        seen = readFile(dir.file(L"seen.txt"));
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, appKey);
    RegDeleteKeyW(HKEY_CURRENT_USER, appKey);
    return seen;
}

} // namespace

TEST(SystemApiVersion, WindowsXpIsNeitherVistaNorWin8)
{
    EXPECT_EQ(versionSeen(L"winxp64"), "false false");
}

TEST(SystemApiVersion, Windows7IsVistaButNotWin8)
{
    EXPECT_EQ(versionSeen(L"win7"), "true false");
}

TEST(SystemApiVersion, Windows8AndLaterAreBoth)
{
    EXPECT_EQ(versionSeen(L"win8"), "true true");
    EXPECT_EQ(versionSeen(L"win10"), "true true");
}
