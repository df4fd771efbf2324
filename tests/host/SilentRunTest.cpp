// The host's switches in-process: refusals before anything is touched, and the shipped UI.lua's
// silent face over stand-in workers, read through the exit code, the log and the registry.
#include <FileTree.h>
#include <Installer.h>
#include <PackageWriter.h>
#include <PreInstallCleanup.h>

#include "InstallerState.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

using namespace testing_support;

namespace {

bool exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

std::string registryString(HKEY root, const wchar_t* key, const wchar_t* name)
{
    HKEY opened = nullptr;
    if (RegOpenKeyExW(root, key, 0, KEY_READ | KEY_WOW64_64KEY, &opened) != ERROR_SUCCESS)
        return "(none)";
    wchar_t value[512] = {};
    DWORD size = sizeof value - sizeof(wchar_t), type = 0;
    const LONG status = RegQueryValueExW(opened, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(opened);
    return status == ERROR_SUCCESS && type == REG_SZ ? narrow(value) : "(none)";
}

// What a finished install writes outside its folder, removed before and after each run.
void removeInstallTraces()
{
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\OrvoNubelo");
    RegDeleteKeyValueW(HKEY_CURRENT_USER, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", L"OrvoNubelo Daemon");
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L"orvolive");
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\OrvoNubelo");
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Internet Explorer\\Low Rights\\ElevationPolicy\\"
                                       L"{CACBA33C-A5E5-43CD-9287-8C075425FC26}");
    DeleteFileW((systemSpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY).value_or(L"") + L"\\OrvoPelora.lnk").c_str());
}

struct Refusal {
    const wchar_t* switches;   // after the program name; the log switch is added
    int code;
    size_t boxes;
    const char* logged;
};

} // namespace

TEST(InstallerSwitches, RefusalsAndUsageTouchNothing)
{
    const Refusal cases[] = {
        {L"/S /Bogus", 87, 0, "/Bogus"},
        {L"/AUTOSTART=yes", 87, 0, "/AUTOSTART=yes"},
        {L"/S /D=", 87, 0, "/D="},
        {L"/?", 0, 1, "usage shown"},
        {L"/S /?", 0, 0, "usage shown"},
    };
    ShutdownTimeGuard stamp;
    for (const Refusal& c : cases) {
        SCOPED_TRACE(narrow(c.switches));
        TempDir dir;
        const std::wstring log = dir.file(L"logs\\setup.log");
        bool filesMade = false;
        MessageBoxCapture capture;
        EXPECT_EQ(runInstaller(
                      [&] {
                          filesMade = true;
                          return std::make_unique<LocalFileSystem>(dir.path());
                      },
                      L"PeloraSetup.exe /LOG=\"" + log + L"\" " + c.switches),
                  c.code);
        EXPECT_EQ(capture.boxes().size(), c.boxes);
        if (c.boxes == 1)
            EXPECT_NE(capture.boxes()[0].text.find(L"/NORESTART"), std::wstring::npos);
        EXPECT_FALSE(filesMade) << "nothing after the switches ran";
        const std::string text = readFile(log);
        EXPECT_TRUE(contains(text, c.logged)) << text;
        EXPECT_TRUE(contains(text, "exit code " + std::to_string(c.code))) << text;
        if (c.code == 87)
            EXPECT_TRUE(contains(text, "/VERYSILENT")) << "the usage is in the log: " << text;
        HANDLE probe = CreateMutexW(nullptr, FALSE, kInstallerMutexName);
        EXPECT_NE(GetLastError(), DWORD(ERROR_ALREADY_EXISTS)) << "the lock is not taken";
        CloseHandle(probe);
    }
}

TEST(InstallerSwitches, SilentRefusalsShowNothingAndSayWhyInTheLog)
{
    ShutdownTimeGuard stamp;
    TempDir dir;
    const std::wstring log = dir.file(L"setup.log");
    MessageBoxCapture capture;
    // a test executable carries no digests to check itself against: the files come from a folder
    const auto files = [&] { return std::make_unique<LocalFileSystem>(dir.path()); };
    HANDLE first = CreateMutexW(nullptr, TRUE, kInstallerMutexName);
    EXPECT_EQ(runInstaller(files, L"PeloraSetup.exe /S /LOG=\"" + log + L"\""), 1618);
    CloseHandle(first);
    EXPECT_TRUE(contains(readFile(log), "检测到Orvo安装或卸载程序正在运行")) << readFile(log);

    ASSERT_TRUE(stamp.set({1, 2, 3, 4, 5, 6, 7, 8}));
    writeRestartMarker();
    EXPECT_EQ(runInstaller(files, L"PeloraSetup.exe /S /LOG=\"" + log + L"\""), 3017);
    EXPECT_TRUE(releaseInstallerMutex());
    EXPECT_TRUE(contains(readFile(log), "exit code 3017")) << readFile(log);
    EXPECT_TRUE(capture.boxes().empty()) << "a silent run shows no box";
}

namespace {

struct SilentCase {
    const char* name;
    const char* worker;        // LG.lua
    const wchar_t* switches;   // after /S /LOG= /D=<folder>
    int code;
    const char* logged;
    bool registered;
};

// The stand-in worker writes the application's executable and reports like the real one.
const SilentCase kSilentCases[] = {
    {"restart needed",
     "notifyMessage('{code=1}')\n"
     "assert(createDirectory(config.installPath))\n"
     "assert(io.open(config.installPath .. 'NubeloUI.exe', 'wb')):close()\n"
     "notifyMessage('{code=7}')\n"
     "notifyMessage('{code=2}')\n",
     L"/AUTOSTART=1", 3010, "files are replaced at the next restart", true},
    {"running programs stopped",
     "assert(notifyMessage('{code=10,file=[[Nubelo.exe]]}') == 1, 'the default is OK')\n"
     "notifyMessage('{code=2}')\n",
     L"/NORESTART", 0, "stopping the running programs: Nubelo.exe", true},
    {"worker script error", "error('the worker broke')\n", L"", 1603, "the worker broke", false},
    {"failure reported", "notifyMessage('{code=6,error=[[disk full]]}')\n", L"", 1603, "installation failed: disk full",
     false},
};

} // namespace

TEST(InstallerSwitches, SilentFaceOfTheShippedScript)
{
    ShutdownTimeGuard stamp;
    for (const SilentCase& c : kSilentCases) {
        SCOPED_TRACE(c.name);
        removeInstallTraces();
        TempDir dir;
        ASSERT_TRUE(CopyFileW(widen(ORVO_UI_SCRIPT).c_str(), dir.file(L"UI.lua").c_str(), FALSE));
        writeFile(dir.file(L"LG.lua"), c.worker);
        PackageWriter writer(1);
        std::string error;
        ASSERT_TRUE(writer.add(u"readme.txt", reinterpret_cast<const uint8_t*>("x"), 1, &error)) << error;
        std::vector<uint8_t> image = writer.finish();
        writeFile(dir.file(L"program.lz"), std::string(image.begin(), image.end()));

        const std::wstring folder = dir.file(L"Program Files\\Orvo Pelora");
        const std::wstring log = dir.file(L"setup.log");
        MessageBoxCapture capture;
        const int code = runInstaller([&] { return std::make_unique<LocalFileSystem>(dir.path()); },
                                      L"PeloraSetup.exe /S /LOG=\"" + log + L"\" " + c.switches + L" /D=" + folder);
        EXPECT_EQ(code, c.code);
        EXPECT_TRUE(capture.boxes().empty());
        const std::string text = readFile(log);
        EXPECT_TRUE(contains(text, "install folder: " + narrow(folder) + "\\")) << text;
        EXPECT_TRUE(contains(text, c.logged)) << text;
        EXPECT_TRUE(contains(text, "exit code " + std::to_string(c.code))) << text;
        EXPECT_EQ(registryString(HKEY_CURRENT_USER, L"Software\\OrvoNubelo", L"InstallPath"),
                  c.registered ? narrow(folder) + "\\" : "(none)");
        const bool autostart =
            registryString(HKEY_CURRENT_USER, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", L"OrvoNubelo Daemon") != "(none)";
        EXPECT_EQ(autostart, c.registered && c.code == 3010) << "only /AUTOSTART=1 ticks the monitor";
        if (c.registered)
            EXPECT_TRUE(contains(text, "registry value written: HKCU\\Software\\OrvoNubelo\\InstallPath")) << text;
        EXPECT_EQ(markerExists(), c.code == 3010) << "a restart is asked for only when needed";
        DeleteFileW(restartMarkerPath().c_str());
        removeInstallTraces();
    }
}

TEST(InstallerSwitches, RefusedFolderEndsWith87BeforeTheWorker)
{
    ShutdownTimeGuard stamp;
    TempDir dir;
    ASSERT_TRUE(CopyFileW(widen(ORVO_UI_SCRIPT).c_str(), dir.file(L"UI.lua").c_str(), FALSE));
    writeFile(dir.file(L"LG.lua"), "assert(io.open(config.installPath .. 'ran', 'wb')):close()\n");
    const std::wstring log = dir.file(L"setup.log");
    for (const wchar_t* folder : {L"C:\\", L"relative\\folder", L"C:\\what?"}) {
        SCOPED_TRACE(narrow(folder));
        MessageBoxCapture capture;
        EXPECT_EQ(runInstaller([&] { return std::make_unique<LocalFileSystem>(dir.path()); },
                               L"PeloraSetup.exe /S /LOG=\"" + log + L"\" /DIR=\"" + folder + L"\""),
                  87);
        EXPECT_TRUE(capture.boxes().empty());
        EXPECT_TRUE(contains(readFile(log), "install folder refused")) << readFile(log);
        EXPECT_FALSE(exists(L"C:\\ran"));
    }
}
