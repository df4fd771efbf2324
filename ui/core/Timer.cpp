// Timer: platform timers without a window, routed to their objects by id.
#include "Timer.h"

#include <platform/CallbackBoundary.h>

#include <windows.h>

#include <map>

namespace {

// Platform timer id -> the timer it belongs to. A period message queued before its timer
// stopped finds no entry here and does nothing.
std::map<uintptr_t, Timer*>& timerMap()
{
    static std::map<uintptr_t, Timer*> map;
    return map;
}

void CALLBACK timerProc(HWND, UINT, UINT_PTR id, DWORD)
{
    auto it = timerMap().find(id);
    if (it == timerMap().end() || !it->second->running)
        return;
    // Looked up afresh every period: the tick may stop or delete this timer or others.
    Timer* timer = it->second;
    platform::callbackBoundary(L"Timer: a tick", [timer] { timer->tick(); });
}

} // namespace

Timer::~Timer()
{
    stop();
}

void Timer::start()
{
    if (running)
        return;
    UINT_PTR id = SetTimer(nullptr, reinterpret_cast<UINT_PTR>(this), UINT(interval), timerProc);
    if (id == 0)
        return;
    running = 1;
    timerId = id;
    timerMap()[id] = this;
    tick();   // may stop or delete this timer: nothing after it
}

void Timer::stop()
{
    if (!running)
        return;
    running = 0;
    KillTimer(nullptr, timerId);
    timerMap().erase(timerId);
}
