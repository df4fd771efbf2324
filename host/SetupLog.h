// The setup programs' log file (/LOG): UTF-8 text, one line per step, each with its time.
#pragma once

#include <platform/CriticalSection.h>
#include <platform/Handle.h>

#include <string>

class SetupLog {
public:
    // Creates (or empties) the file at `path`, making its folder first when it is missing. False
    // when the file cannot be made; the log then stays closed. A log already open is closed first.
    bool open(const std::wstring& path);
    void close();
    bool isOpen() const;

    // Appends "YYYY-MM-DD hh:mm:ss.mmm  <line>" and CRLF in local time; line breaks inside `line`
    // become spaces, so one step is always one line. Does nothing while closed. Any thread may
    // write; each line reaches the file whole, in one write, so a killed run leaves whole lines.
    void write(const std::wstring& line);

private:
    mutable platform::CriticalSection lock_;
    platform::UniqueHandle file_;
};

// The process-wide log: the host opens it for /LOG, and every step of the run (the UI thread, the
// worker thread, the system functions) writes to it. Never destroyed, so a thread still writing
// while the process exits finds it alive.
SetupLog& setupLog();
