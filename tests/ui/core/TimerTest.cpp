// Timers on a real message loop: the tick at start, periods, stopping (also from a tick), and
// period messages already queued when the timer stops.
#include <Timer.h>

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>

namespace {

class CountingTimer final : public Timer {
public:
    int ticks = 0;
    std::function<void(CountingTimer&)> onTick;
    void tick() override
    {
        ++ticks;
        if (onTick)
            onTick(*this);
    }
};

// Dispatches this thread's messages for `ms` milliseconds.
void pumpFor(DWORD ms)
{
    DWORD end = GetTickCount() + ms;
    while (int(end - GetTickCount()) > 0) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

} // namespace

TEST(Timer, StartsStoppedWithAHundredMillisecondsAndTicksOnceAtStart)
{
    CountingTimer timer;
    EXPECT_EQ(timer.interval, 100);
    EXPECT_FALSE(timer.isRunning());
    timer.interval = 30;
    timer.start();
    EXPECT_TRUE(timer.isRunning());
    EXPECT_EQ(timer.ticks, 1) << "the first period begins with a tick";
    timer.start();
    EXPECT_EQ(timer.ticks, 1) << "starting a running timer changes nothing";
    pumpFor(200);
    EXPECT_GE(timer.ticks, 4) << "about every 30 ms";
    timer.stop();
    int ticks = timer.ticks;
    pumpFor(100);
    EXPECT_EQ(timer.ticks, ticks);
    timer.start();
    EXPECT_EQ(timer.ticks, ticks + 1) << "a timer starts again, with a tick";
}

TEST(Timer, APeriodQueuedBeforeTheStopDoesNotTick)
{
    CountingTimer timer;
    timer.interval = 10;
    timer.start();
    // periods come due while nobody pumps; the stop comes before they are delivered
    Sleep(60);
    timer.stop();
    pumpFor(50);
    EXPECT_EQ(timer.ticks, 1);
}

TEST(Timer, ATickMayStopItsTimerOrDeleteIt)
{
    CountingTimer stopping;
    stopping.interval = 10;
    stopping.onTick = [](CountingTimer& t) {
        if (t.ticks == 3)
            t.stop();
    };
    stopping.start();
    pumpFor(150);
    EXPECT_EQ(stopping.ticks, 3) << "the series ends after the tick that stopped it";

    int ticks = 0;
    auto* deleting = new CountingTimer;
    deleting->interval = 10;
    deleting->onTick = [&ticks](CountingTimer& t) {
        ticks = t.ticks;
        if (t.ticks == 2)
            delete &t;
    };
    deleting->start();
    pumpFor(150);
    EXPECT_EQ(ticks, 2);
}
