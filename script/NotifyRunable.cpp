// The notification task: event 1024 on the UI thread, the answer back to the waiting worker.
#include "NotifyRunable.h"

#include <ControlEvent.h>
#include <Toolkit.h>
#include <platform/CallbackBoundary.h>

#include <windows.h>

namespace LuaWork {

NotifyRunable::NotifyRunable(const char* text)
    : text_(text ? text : ""), event_(CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
}

void NotifyRunable::run()
{
    ControlEvent event;
    event.code = EventCode::WorkerNotification;
    event.direction = Direct;
    event.wparam = reinterpret_cast<uint64_t>(text_);
    event.lparam = 0;
    event.handled = 0;
    // A handler that failed half-way answers whatever it wrote; the worker must be woken.
    platform::callbackBoundary(L"LuaWork: a notification handler", [&] { Toolkit::broadcast(event); });
    answer(static_cast<int32_t>(static_cast<uint32_t>(event.lparam & 0xFFFFFFFF)));
}

void NotifyRunable::discard()
{
    answer(kStopAnswer);
}

int32_t NotifyRunable::waitForAnswer()
{
    if (!event_)
        return kStopAnswer;
    WaitForSingleObject(event_.get(), INFINITE);
    return result_;
}

void NotifyRunable::answer(int32_t result)
{
    // The result is written before the event is set; SetEvent orders the two for the waiter.
    result_ = result;
    if (event_)
        SetEvent(event_.get());
}

} // namespace LuaWork
