// The uninstaller runs from a copy of itself, so the copy can delete the program in the install
// folder: the started process makes the copy in a fresh folder that only administrators can
// write, waits for its result and ends with it; the copy reports the result, waits for the
// started process to end, and then removes the program it was copied from.
#pragma once

#include <windows.h>

#include <string>

// The switch that marks a copy, with the handles and the install folder it is handed; it is the
// first argument and is taken off before the user's switches are read.
constexpr wchar_t kCopySwitch[] = L"/ORVO-COPY=";

// What a copy was handed.
struct CopyLink {
    HANDLE result = nullptr;     // write end of the pipe the exit code goes into
    HANDLE original = nullptr;   // the started process, to wait for
    std::wstring folder;         // the install folder, with its trailing "\"
    std::wstring program;        // the uninstaller in it, to remove at the end
};

// Reads the copy switch off the front of `commandLine`; false when it is not there. `rest`
// receives the program name and the user's switches (what the parser reads).
bool readCopyLink(const std::wstring& commandLine, CopyLink* link, std::wstring* rest);

// The started process: copies the program into a fresh private folder under the system's temp
// folder, runs it there with `switches` and returns its exit code (1603 when no copy could be
// made or started). The copy and its folder are scheduled for deletion at the next boot.
int runFromTemporaryCopy(const std::wstring& switches);

// The copy, once the uninstall is done: hands `exitCode` to the started process and waits (a
// while) for it to end, so its program file can be removed.
void reportToOriginal(const CopyLink& link, int exitCode);
