// The installer's and uninstaller's exit codes: what a deployment tool reads after a run.
#pragma once

namespace exitcode {

constexpr int kSuccess = 0;            // installed (or removed)
constexpr int kBadArguments = 87;      // an unknown switch or a folder the rules refuse; nothing touched
constexpr int kCancelled = 1602;       // the user said no: quit, Cancel in a retry or stop question
constexpr int kFailed = 1603;          // a folder or file that cannot be written, damaged data, a script error
constexpr int kAlreadyRunning = 1618;  // another installer or uninstaller of the family runs
constexpr int kRestartNeeded = 3010;   // done, but files are replaced at the next boot
// An earlier install or uninstall still waits for its restart: nothing was done, restart first.
constexpr int kRestartPending = 3017;  // Windows' ERROR_FAIL_REBOOT_REQUIRED

} // namespace exitcode
