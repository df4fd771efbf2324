// The switch parser over raw command lines, as GetCommandLineW hands them over.
#include <SetupOptions.h>

#include <gtest/gtest.h>

namespace {

struct Case {
    const wchar_t* line;
    bool silent;
    const wchar_t* folder;
    const wchar_t* log;
    bool noRestart;
    bool autostart;
    bool usage;
    bool refused;
};

const Case kCases[] = {
    // line                                                         silent folder                     log              norst  auto   usage  refused
    {L"PeloraSetup.exe",                                            false, L"",                       L"",             false, false, false, false},
    {L"\"C:\\a b\\PeloraSetup.exe\"   ",                            false, L"",                       L"",             false, false, false, false},
    {L"\"C:\\a b\\PeloraSetup.exe\" /S",                            true,  L"",                       L"",             false, false, false, false},
    {L"PeloraSetup.exe -verysilent /norestart",                     true,  L"",                       L"",             true,  false, false, false},
    {L"PeloraSetup.exe /S /D=C:\\Program Files\\Orvo Pelora",       true,  L"C:\\Program Files\\Orvo Pelora", L"",     false, false, false, false},
    {L"PeloraSetup.exe /S /d=C:\\x y  ",                            true,  L"C:\\x y",                L"",             false, false, false, false},
    // /D= is the last argument: what follows it belongs to the folder, switches included
    {L"PeloraSetup.exe /D=C:\\x /S",                                false, L"C:\\x /S",               L"",             false, false, false, false},
    {L"PeloraSetup.exe /DIR=\"C:\\a b\" /S /LOG=\"C:\\l og\\s.log\"", true, L"C:\\a b",               L"C:\\l og\\s.log", false, false, false, false},
    // the shell reads \" as a literal quote: the stray quote goes, the same folder remains
    {L"PeloraSetup.exe /S /DIR=\"C:\\a b\\\"",                      true,  L"C:\\a b",                L"",             false, false, false, false},
    // a /D= inside a quoted value is part of that value
    {L"PeloraSetup.exe /DIR=\"C:\\a /D=b\" /S",                     true,  L"C:\\a /D=b",             L"",             false, false, false, false},
    {L"PeloraSetup.exe /S /AUTOSTART=1",                            true,  L"",                       L"",             false, true,  false, false},
    {L"PeloraSetup.exe /AUTOSTART=1 /AUTOSTART=0",                  false, L"",                       L"",             false, false, false, false},
    {L"PeloraSetup.exe /?",                                         false, L"",                       L"",             false, false, true,  false},
    {L"PeloraSetup.exe /AUTOSTART=2",                               false, L"",                       L"",             false, false, false, true},
    {L"PeloraSetup.exe /S /SILENT /LOG=C:\\s.log",                  true,  L"",                       L"C:\\s.log",    false, false, false, true},
    {L"PeloraSetup.exe install",                                    false, L"",                       L"",             false, false, false, true},
    {L"PeloraSetup.exe /LOG=",                                      false, L"",                       L"",             false, false, false, true},
    {L"PeloraSetup.exe /DIR=\"\"",                                  false, L"",                       L"",             false, false, false, true},
    {L"PeloraSetup.exe /D=   ",                                     false, L"",                       L"",             false, false, false, true},
    {L"PeloraSetup.exe /S=1",                                       false, L"",                       L"",             false, false, false, true},
};

} // namespace

TEST(SetupOptions, CommandLines)
{
    for (const Case& c : kCases) {
        SCOPED_TRACE(testing::Message() << "line: " << testing::PrintToString(std::wstring(c.line)));
        const SetupOptions options = parseSetupOptions(c.line);
        EXPECT_EQ(options.silent, c.silent);
        EXPECT_EQ(options.folder, c.folder);
        EXPECT_EQ(options.logPath, c.log);
        EXPECT_EQ(options.noRestart, c.noRestart);
        EXPECT_EQ(options.autostart, c.autostart);
        EXPECT_EQ(options.showUsage, c.usage);
        EXPECT_EQ(!options.error.empty(), c.refused) << testing::PrintToString(options.error);
    }
}

TEST(SetupOptions, RefusalNamesTheFirstBadArgument)
{
    const SetupOptions options = parseSetupOptions(L"PeloraSetup.exe /S /Quiet /Other");
    EXPECT_NE(options.error.find(L"/Quiet"), std::wstring::npos);
    EXPECT_EQ(options.error.find(L"/Other"), std::wstring::npos);
}

TEST(SetupOptions, UninstallerRefusesTheInstallerOnlySwitches)
{
    const wchar_t* installerOnly[] = {L"u.exe /D=C:\\x", L"u.exe /DIR=C:\\x", L"u.exe /AUTOSTART=1"};
    for (const wchar_t* line : installerOnly)
        EXPECT_FALSE(parseSetupOptions(line, kUninstallerSwitches).error.empty()) << testing::PrintToString(std::wstring(line));
    const SetupOptions options = parseSetupOptions(L"u.exe /s /NoRestart /LOG=\"C:\\u.log\"", kUninstallerSwitches);
    EXPECT_TRUE(options.error.empty());
    EXPECT_TRUE(options.silent && options.noRestart);
    EXPECT_EQ(options.logPath, L"C:\\u.log");
}

TEST(SetupOptions, UsageListsOnlyTheAcceptedSwitches)
{
    const std::wstring installer = setupUsageText(kInstallerSwitches);
    const std::wstring uninstaller = setupUsageText(kUninstallerSwitches);
    for (const wchar_t* name : {L"/S", L"/VERYSILENT", L"/D=", L"/DIR=", L"/LOG=", L"/NORESTART", L"/AUTOSTART=", L"/?"})
        EXPECT_NE(installer.find(name), std::wstring::npos) << testing::PrintToString(std::wstring(name));
    EXPECT_EQ(uninstaller.find(L"/DIR="), std::wstring::npos);
    EXPECT_EQ(uninstaller.find(L"/AUTOSTART="), std::wstring::npos);
    EXPECT_NE(uninstaller.find(L"/NORESTART"), std::wstring::npos);
}
