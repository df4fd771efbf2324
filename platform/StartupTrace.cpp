// The start-up timeline's clock and its lines to the debugger output.
#include "StartupTrace.h"

#include <windows.h>

#include <atomic>
#include <cwchar>

namespace platform {

namespace {

using PreciseTime = void(WINAPI*)(FILETIME*);

struct Clock {
    bool enabled = false;
    uint64_t created = 0;   // 100 ns units, as FILETIME
    PreciseTime now = nullptr;
};

uint64_t ticks(const FILETIME& time)
{
    return uint64_t(time.dwHighDateTime) << 32 | time.dwLowDateTime;
}

const Clock& clock()
{
    static const Clock made = [] {
        Clock c;
        wchar_t value[8] = {};
        DWORD length = GetEnvironmentVariableW(L"ORVO_STARTUP_TRACE", value, 8);
        c.enabled = length > 0 && length < 8 && std::wcscmp(value, L"0") != 0;
        if (!c.enabled)
            return c;
        FILETIME created, exited, kernel, user;
        if (GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user))
            c.created = ticks(created);
        // Windows 8 and later have the precise clock; Windows 7's ticks every 15 ms or so. kernel32
        // is loaded in every process, so this finds nothing planted anywhere.
        if (HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll"))
            c.now = reinterpret_cast<PreciseTime>(
                reinterpret_cast<void*>(GetProcAddress(kernel32, "GetSystemTimePreciseAsFileTime")));
        if (!c.now)
            c.now = GetSystemTimeAsFileTime;
        return c;
    }();
    return made;
}

}  // namespace

bool startupTraceEnabled()
{
    return clock().enabled;
}

double startupMilliseconds()
{
    const Clock& c = clock();
    if (!c.enabled)
        return 0;
    FILETIME now;
    c.now(&now);
    return double(int64_t(ticks(now) - c.created)) / 10000.0;
}

void startupMark(const wchar_t* event)
{
    if (!startupTraceEnabled())
        return;
    wchar_t line[160];
    std::swprintf(line, 160, L"startup: %8.1f ms  %ls\n", startupMilliseconds(), event);
    OutputDebugStringW(line);
}

void startupMarkOnce(const wchar_t* event)
{
    static std::atomic<bool> done{false};
    if (startupTraceEnabled() && !done.exchange(true))
        startupMark(event);
}

StartupPhase::StartupPhase(const wchar_t* name)
{
    if (startupTraceEnabled()) {
        name_ = name;
        began_ = startupMilliseconds();
    }
}

StartupPhase::StartupPhase(const wchar_t* kind, const std::wstring& what)
{
    if (startupTraceEnabled()) {
        name_ = std::wstring(kind) + L" " + what;
        began_ = startupMilliseconds();
    }
}

void StartupPhase::end()
{
    if (began_ < 0)
        return;
    double ended = startupMilliseconds();
    wchar_t times[64];
    std::swprintf(times, 64, L"startup: %8.1f .. %8.1f ms  ", began_, ended);
    wchar_t duration[32];
    std::swprintf(duration, 32, L" (%.1f ms)\n", ended - began_);
    OutputDebugStringW((times + name_ + duration).c_str());
    began_ = -1;
}

}  // namespace platform
