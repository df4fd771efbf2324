// One worker notification on its way to the UI thread and its answer on the way back.
#pragma once

#include <IRunable.h>
#include <platform/Handle.h>

#include <cstdint>

namespace LuaWork {

// The answer that tells the worker script to stop. A notification that never reaches the UI (the
// task service refused or dropped it) is answered with it, so that the worker ends instead of
// waiting for ever and keeping the process alive.
constexpr int32_t kStopAnswer = 2;

// Posted by notifyMessage; the worker waits on the event until the UI thread has run the task
// (or the service has given it up).
class NotifyRunable : public SRService::IRunable {
public:
    // `text` is not owned: it points into the worker script's string, which stays alive because
    // the worker is blocked until the event is set.
    explicit NotifyRunable(const char* text);
    NotifyRunable(const NotifyRunable&) = delete;
    NotifyRunable& operator=(const NotifyRunable&) = delete;

    // UI thread: broadcasts event 1024 to the global handlers and keeps their answer (lparam's
    // low 32 bits, 0 when nobody answered).
    void run() override;
    // The service will never run it: answer "stop".
    void discard() override;

    // False when the event could not be created; such a task must not be posted.
    bool usable() const { return bool(event_); }
    // Worker thread: blocks until run or discard has answered, then returns the answer.
    int32_t waitForAnswer();

private:
    void answer(int32_t result);

    const char* text_;   // not owned
    platform::UniqueHandle event_;   // manual-reset event, not signalled at first
    int32_t result_ = 0;
};

} // namespace LuaWork
