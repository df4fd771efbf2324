// The start-up timeline: with ORVO_STARTUP_TRACE=1 in the environment, the phases of start-up
// are written to the debugger output, timed from the moment the process was created.
#pragma once

#include <string>

namespace platform {

// True when the environment asks for the timeline (ORVO_STARTUP_TRACE set, and not "0").
// Read once; every call below does nothing when it is false.
bool startupTraceEnabled();

// Milliseconds since the process was created (GetProcessTimes), or 0 when the trace is off.
double startupMilliseconds();

// One line "startup: T ms  <event>" for a moment of start-up (the first paint, say). With `once`,
// only the first call that names any once-event prints: a window's every paint may call it.
void startupMark(const wchar_t* event);
void startupMarkOnce(const wchar_t* event);

// A phase from construction to end() (or destruction): "startup: A .. B ms  <phase> (D ms)",
// written when it ends, from whichever thread it runs on.
class StartupPhase {
public:
    explicit StartupPhase(const wchar_t* name);
    // A phase named at run time (a skin image's name, say); the name is kept only when tracing.
    StartupPhase(const wchar_t* kind, const std::wstring& what);
    ~StartupPhase() { end(); }
    StartupPhase(const StartupPhase&) = delete;
    StartupPhase& operator=(const StartupPhase&) = delete;
    void end();

private:
    std::wstring name_;
    double began_ = -1;     // negative: the trace is off, or the phase has ended
};

}  // namespace platform
