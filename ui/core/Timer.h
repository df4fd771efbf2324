// A periodic platform timer without a window that calls its own tick on the UI thread.
#pragma once

#include <cstdint>

// Caret blinks, scroll repeats, slide shows and script timers are Timers. UI thread only: a timer
// is started, stopped and ticked on the thread whose message loop runs, and the routing from
// platform timer ids to timers has no lock.
class Timer {
public:
    // Starts the platform timer and ticks once at once, so the first period begins with a tick.
    // Nothing when it runs already; stays stopped when the platform refuses the timer.
    void start();
    // Nothing when stopped. Afterwards no tick reaches this timer, not even one already queued.
    void stop();
    bool isRunning() const { return running != 0; }

    // One period elapsed. A tick may stop or delete its own timer, or others: nothing of the
    // timer is touched after the call.
    virtual void tick() = 0;

    int32_t interval = 100;   // milliseconds; change it while stopped
    uintptr_t timerId = 0;    // the platform timer's id while running
    int32_t running = 0;

protected:
    Timer() = default;
    // Not virtual: owners destroy timers as members or through their concrete type. Stops the timer.
    ~Timer();
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;
};
