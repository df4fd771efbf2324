// The system functions seen from real scripts: surface, files and folders, special folders,
// shortcuts, registry, argument conversion, message boxes, the mutex slot, restart marker, reboot.
#include "LuaTestRunner.h"

#include <InstallerMutex.h>
#include <RestartMarker.h>
#include <SystemShutdown.h>

#include <gtest/gtest.h>

#include <shlobj.h>

using namespace testing_support;

namespace {

// A fresh key under HKEY_CURRENT_USER, deleted with everything below it afterwards.
class TestKey {
public:
    TestKey() : path_(L"Software\\OrvoSetupTest\\" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter_))
    {
        RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
    }
    ~TestKey()
    {
        RegCloseKey(key_);
        RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, path_.c_str());
    }
    void set(const wchar_t* name, DWORD type, const void* data, DWORD size)
    {
        RegSetValueExW(key_, name, 0, type, static_cast<const BYTE*>(data), size);
    }
    std::string path() const { return narrow(path_); }

private:
    static inline int counter_ = 0;
    std::wstring path_;
    HKEY key_ = nullptr;
};

std::string unquote(const std::string& recorded)
{
    return recorded.size() >= 2 ? recorded.substr(1, recorded.size() - 2) : recorded;
}

std::string specialFolder(int csidl)
{
    wchar_t path[MAX_PATH] = {};
    SHGetSpecialFolderPathW(nullptr, path, csidl, FALSE);
    return narrow(path);
}

std::string freeDriveRoot()
{
    DWORD used = GetLogicalDrives();
    for (int letter = 'Q'; letter <= 'Y'; ++letter)
        if (!(used & (1u << (letter - 'A'))))
            return std::string(1, char(letter)) + ":\\";
    return "Q:\\";
}

} // namespace

TEST(SystemApiSurface, AllFunctionsAndRootKeysAreGlobals)
{
    TempDir dir;
    expectClean(runLuaTest(L"api_surface.lua", dir));
}

TEST(SystemApiFiles, ReadOnlyFilesMovesCopiesAndExistence)
{
    TempDir dir;
    expectClean(runLuaTest(L"files.lua", dir));
}

TEST(SystemApiFiles, FolderChainsTreesEmptinessAndDrives)
{
    TempDir dir;
    wchar_t before[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, before);
    expectClean(runLuaTest(L"folders.lua", dir, {{"freeDrive", freeDriveRoot()}}));
    SetCurrentDirectoryW(before);
}

TEST(SystemApiFiles, SpecialFoldersAreThePlatformOnes)
{
    TempDir dir;
    LuaTestResult result = runLuaTest(L"special_folders.lua", dir);
    expectClean(result);
    EXPECT_EQ(unquote(result.recorded["getAppDataFolder"]), specialFolder(CSIDL_APPDATA));
    EXPECT_EQ(unquote(result.recorded["getProgramFolder"]), specialFolder(CSIDL_PROGRAM_FILES));
    EXPECT_EQ(unquote(result.recorded["getDesktopFolder"]), specialFolder(CSIDL_COMMON_DESKTOPDIRECTORY));
    EXPECT_EQ(unquote(result.recorded["getStartMenuFolder"]), specialFolder(CSIDL_COMMON_STARTUP));
    wchar_t temp[MAX_PATH], self[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    EXPECT_EQ(unquote(result.recorded["getTempFolder"]), narrow(temp));
    EXPECT_EQ(unquote(result.recorded["getProcessPath"]), narrow(self));
}

TEST(SystemApiFiles, ShortcutPointsAtItsTarget)
{
    TempDir dir;
    expectClean(runLuaTest(L"shortcut.lua", dir));
    CoInitialize(nullptr);
    IShellLinkW* link = nullptr;
    ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                           reinterpret_cast<void**>(&link))));
    IPersistFile* file = nullptr;
    ASSERT_TRUE(SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))));
    EXPECT_TRUE(SUCCEEDED(file->Load(dir.file(L"helper.lnk").c_str(), STGM_READ)));
    wchar_t target[MAX_PATH] = {};
    EXPECT_TRUE(SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, 0)));
    EXPECT_TRUE(CompareStringOrdinal(target, -1, helperProgram().c_str(), -1, TRUE) == CSTR_EQUAL)
        << narrow(target) << " vs " << narrow(helperProgram());
    file->Release();
    link->Release();
    CoUninitialize();
}

TEST(SystemApiRegistry, StringsIntegersDefaultsLimitsAndTypes)
{
    TempDir dir;
    TestKey key;
    std::wstring fits(129, L'a'), tooLong(130, L'a');
    key.set(L"chars129", REG_SZ, fits.c_str(), DWORD((fits.size() + 1) * 2));
    key.set(L"chars130", REG_SZ, tooLong.c_str(), DWORD((tooLong.size() + 1) * 2));
    key.set(L"expand", REG_EXPAND_SZ, L"%TEMP%", 14);
    key.set(L"multi", REG_MULTI_SZ, L"a\0b\0", 10);
    uint64_t qword = 5;
    key.set(L"qword", REG_QWORD, &qword, sizeof(qword));
    key.set(L"unterminated", REG_SZ, L"abc", 6);
    expectClean(runLuaTest(L"registry.lua", dir, {{"key", key.path()}}));
}

TEST(SystemApiConversion, NumbersMissingStringsAndNonNumbers)
{
    TempDir dir;
    TestKey key;
    expectClean(runLuaTest(L"conversion.lua", dir, {{"key", key.path()}}));
}

TEST(SystemApiOs, MessageBoxesMutexAndRestartMarker)
{
    TempDir dir;
    HANDLE mutex = CreateMutexW(nullptr, TRUE, L"Local\\OrvoSystemApiTestMutex");
    setInstallerMutex(mutex);
    // A known time stamp, so that the marker's content can be told from zeros.
    HKEY windowsKey = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Windows", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &windowsKey, nullptr), ERROR_SUCCESS);
    BYTE saved[8];
    DWORD savedSize = sizeof(saved), savedType = 0;
    bool hadStamp = RegQueryValueExW(windowsKey, L"ShutdownTime", nullptr, &savedType, saved, &savedSize) == ERROR_SUCCESS;
    const BYTE stamp[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    RegSetValueExW(windowsKey, L"ShutdownTime", 0, REG_BINARY, stamp, sizeof(stamp));

    LuaTestResult result = runLuaTest(L"os.lua", dir);

    std::string marker = readFile(restartMarkerPath());
    DeleteFileW(restartMarkerPath().c_str());
    if (hadStamp)
        RegSetValueExW(windowsKey, L"ShutdownTime", 0, savedType, saved, savedSize);
    else
        RegDeleteValueW(windowsKey, L"ShutdownTime");
    RegCloseKey(windowsKey);

    EXPECT_TRUE(result.ran);
    for (const std::string& failure : result.failures)
        ADD_FAILURE() << failure;
    ASSERT_EQ(result.boxes.size(), 2u);
    EXPECT_EQ(result.boxes[0].text, L"文本");
    EXPECT_EQ(result.boxes[0].title, L"标题");
    EXPECT_FALSE(result.boxes[0].defaultTitle);
    EXPECT_EQ(result.boxes[0].style, UINT(MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(result.boxes[1].text, L"");
    EXPECT_EQ(marker, std::string(reinterpret_cast<const char*>(stamp), 8)) << "the marker holds the stamp";
    EXPECT_FALSE(releaseInstallerMutex()) << "the script closed the slot";
    EXPECT_EQ(OpenMutexW(SYNCHRONIZE, FALSE, L"Local\\OrvoSystemApiTestMutex"), nullptr) << "the mutex is gone";
}

TEST(SystemApiOs, MarkerHoldsZerosWithoutAStamp)
{
    HKEY windowsKey = nullptr;
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Windows", 0, nullptr, 0, KEY_ALL_ACCESS,
                    nullptr, &windowsKey, nullptr);
    BYTE saved[16];
    DWORD savedSize = sizeof(saved), savedType = 0;
    bool hadStamp = RegQueryValueExW(windowsKey, L"ShutdownTime", nullptr, &savedType, saved, &savedSize) == ERROR_SUCCESS;
    const BYTE shortStamp[4] = {9, 9, 9, 9};
    RegSetValueExW(windowsKey, L"ShutdownTime", 0, REG_BINARY, shortStamp, sizeof(shortStamp));
    writeRestartMarker();
    std::string marker = readFile(restartMarkerPath());
    DeleteFileW(restartMarkerPath().c_str());
    if (hadStamp)
        RegSetValueExW(windowsKey, L"ShutdownTime", 0, savedType, saved, savedSize);
    else
        RegDeleteValueW(windowsKey, L"ShutdownTime");
    RegCloseKey(windowsKey);
    EXPECT_EQ(marker, std::string(8, '\0')) << "a value of another size reads as 0";
}

namespace {

// Replacement platform calls for reboot: what they saw, and what they answer.
struct RebootProbe {
    bool tokenOpens = true;
    BOOL exitResult = FALSE;
    DWORD exitError = 0;
    int exitCalls = 0;
    UINT exitFlags = 0;
    bool privilegeEnabled = false;
};
RebootProbe probe;

BOOL probeOpenToken(DWORD access, HANDLE* token)
{
    if (!probe.tokenOpens) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return OpenProcessToken(GetCurrentProcess(), access, token);
}

BOOL probeExitWindows(UINT flags, DWORD)
{
    ++probe.exitCalls;
    probe.exitFlags = flags;
    HANDLE token = nullptr;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        PRIVILEGE_SET required{};
        required.PrivilegeCount = 1;
        LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &required.Privilege[0].Luid);
        BOOL held = FALSE;
        probe.privilegeEnabled = PrivilegeCheck(token, &required, &held) && held;
        CloseHandle(token);
    }
    SetLastError(probe.exitError);
    return probe.exitResult;
}

class Reboot : public testing::Test {
protected:
    void SetUp() override
    {
        probe = RebootProbe{};
        previous_ = setSystemShutdownCalls({probeOpenToken, probeExitWindows});
    }
    void TearDown() override { setSystemShutdownCalls(previous_); }

private:
    SystemShutdownCalls previous_{};
};

} // namespace

TEST_F(Reboot, SuccessEnablesTheShutdownPrivilegeAndShowsNothing)
{
    TempDir dir;
    probe.exitResult = TRUE;
    expectClean(runLuaTest(L"reboot.lua", dir));
    EXPECT_EQ(probe.exitCalls, 1);
    EXPECT_EQ(probe.exitFlags, UINT(EWX_REBOOT | EWX_FORCE));
    EXPECT_TRUE(probe.privilegeEnabled);
}

TEST_F(Reboot, RefusedRestartShowsTheErrorCode)
{
    TempDir dir;
    probe.exitError = 1234;
    LuaTestResult result = runLuaTest(L"reboot.lua", dir);
    EXPECT_TRUE(result.failures.empty());
    ASSERT_EQ(result.boxes.size(), 1u);
    EXPECT_EQ(result.boxes[0].text, L"重启电脑失败，原因：1234。 请手动重启电脑。");
    EXPECT_TRUE(result.boxes[0].defaultTitle);
    EXPECT_EQ(result.boxes[0].style, UINT(MB_OK));
}

TEST_F(Reboot, TokenFailureShowsThePrivilegeMessageAndDoesNotRestart)
{
    TempDir dir;
    probe.tokenOpens = false;
    LuaTestResult result = runLuaTest(L"reboot.lua", dir);
    ASSERT_EQ(result.boxes.size(), 1u);
    EXPECT_EQ(result.boxes[0].text, L"重启电脑失败，原因：提升权限失败。请手动重启电脑。");
    EXPECT_TRUE(result.boxes[0].defaultTitle);
    EXPECT_EQ(probe.exitCalls, 0);
}
