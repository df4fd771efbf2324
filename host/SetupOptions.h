// The command-line switches of the setup programs (installer and uninstaller) and their parser.
#pragma once

#include <string>

// Which switches a program takes; any other is refused as unknown.
enum SetupSwitch : unsigned {
    kSwitchSilent = 1u << 0,     // /S, /VERYSILENT
    kSwitchFolder = 1u << 1,     // /D=<folder> (last, unquoted), /DIR="<folder>"
    kSwitchLog = 1u << 2,        // /LOG="<file>"
    kSwitchNoRestart = 1u << 3,  // /NORESTART
    kSwitchAutostart = 1u << 4,  // /AUTOSTART=0|1
    kInstallerSwitches = kSwitchSilent | kSwitchFolder | kSwitchLog | kSwitchNoRestart | kSwitchAutostart,
    kUninstallerSwitches = kSwitchSilent | kSwitchLog | kSwitchNoRestart,
};

// One run's switches. Switches are case-insensitive and start with "/" or "-"; a switch given
// twice keeps its last value. /? is always accepted.
struct SetupOptions {
    bool silent = false;     // no window at all; every question takes its default
    std::wstring folder;     // the install folder as given; empty when none was given
    std::wstring logPath;    // the log file as given; empty: no log
    bool noRestart = false;  // never reboot and never ask
    bool autostart = false;  // /AUTOSTART=1
    bool showUsage = false;  // /?
    // Why the command line was refused (it names the first bad argument); empty when it is good.
    // A refused line still fills in every other switch, so /S and /LOG next to a bad switch keep
    // the refusal silent and logged.
    std::wstring error;
};

// Parses a raw command line as GetCommandLineW returns it, the program name first. Arguments are
// split as CommandLineToArgvW splits them, except that an unquoted /D= (or -D=) starts the last
// argument: everything after it, spaces included, is the folder.
SetupOptions parseSetupOptions(const std::wstring& commandLine, unsigned accepted = kInstallerSwitches);

// The usage text for the switches in `accepted`, one line per switch.
std::wstring setupUsageText(unsigned accepted = kInstallerSwitches);
