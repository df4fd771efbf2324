// The task service: a message hook on the UI thread runs queued tasks; a reaper thread joins threads.
#include "SRService.h"

#include <platform/CallbackBoundary.h>
#include <platform/CriticalSection.h>
#include <platform/Handle.h>

#include <windows.h>

#include <algorithm>
#include <cassert>
#include <deque>
#include <mutex>
#include <utility>
#include <vector>

namespace SRService {
namespace {

using Locked = std::lock_guard<platform::ProcessCriticalSection>;

using TaskQueue = std::deque<std::shared_ptr<IRunable>>;

// Lock order: the state lock is always taken before the queue lock, never the other way round.
// post holds both while it queues a task, so that stop (which clears the running flag and empties
// the queue under both) can never see a task arrive after it has emptied the queue. The hook
// takes only the queue lock, and runs the task after releasing it, so a task may post again.
// Tasks, discard calls and thread waits always run outside both locks.
platform::ProcessCriticalSection stateLock;   // running, uiThreadId, stopEvent, hook, timerId, reaperList, reaperThread
platform::ProcessCriticalSection queueLock;   // tasks

bool running = false;
DWORD uiThreadId = 0;
HANDLE stopEvent = nullptr;
HHOOK hook = nullptr;
UINT_PTR timerId = 0;
TaskQueue tasks;
std::vector<HANDLE> reaperList;
HANDLE reaperThread = nullptr;

// Gives up every task in the list: each learns it will never run, then loses the service's reference.
void discardAll(TaskQueue& dropped)
{
    for (std::shared_ptr<IRunable>& task : dropped) {
        platform::callbackBoundary(L"task service: a task's discard", [&] { task->discard(); });
    }
    dropped.clear();
}

// Takes the front task, if any, and runs it outside the lock.
void runNextTask()
{
    std::shared_ptr<IRunable> task;
    {
        Locked queue(queueLock);
        if (tasks.empty())
            return;
        task = std::move(tasks.front());
        tasks.pop_front();
    }
    // Nothing may unwind through the hook into the message loop of whoever pumps.
    platform::callbackBoundary(L"task service: a task", [&] { task->run(); });
}

// Runs on the UI thread whenever it takes a message out of its queue, in any message loop.
LRESULT CALLBACK messageHook(int code, WPARAM removal, LPARAM lparam)
{
    if (code == HC_ACTION && removal == PM_REMOVE) {
        const MSG* message = reinterpret_cast<const MSG*>(lparam);
        if (!message->hwnd) {
            // One task per WM_NULL; a WM_NULL that finds the queue empty (the one start posts,
            // or one posted by someone else) does nothing.
            if (message->message == WM_NULL) {
                runNextTask();
                return 0;
            }
            if (message->message == WM_TIMER && timerId && message->wParam == timerId)
                return 0;
        }
    }
    return CallNextHookEx(nullptr, code, removal, lparam);
}

// Waits until every handle has been signalled, however many there are, then closes them all.
void waitAndClose(std::vector<HANDLE>& handles)
{
    // One wait takes at most MAXIMUM_WAIT_OBJECTS handles; every thread has to end anyway, so
    // waiting for the batches one after the other waits exactly as long as one wait for all.
    for (size_t first = 0; first < handles.size(); first += MAXIMUM_WAIT_OBJECTS) {
        DWORD count = DWORD(std::min<size_t>(MAXIMUM_WAIT_OBJECTS, handles.size() - first));
        if (WaitForMultipleObjects(count, &handles[first], TRUE, INFINITE) == WAIT_FAILED) {
            // A bad handle in the batch fails the whole wait at once; still wait for the good ones
            // rather than close the handles of threads that are running.
            for (DWORD i = 0; i < count; ++i)
                WaitForSingleObject(handles[first + i], INFINITE);
        }
    }
    for (HANDLE handle : handles)
        CloseHandle(handle);
    handles.clear();
}

void reap()
{
    std::vector<HANDLE> taken;
    {
        Locked state(stateLock);
        taken.swap(reaperList);
    }
    waitAndClose(taken);
}

DWORD WINAPI reaperMain(void* stop)
{
    // A thread handed over during a reap is picked up by the next one, at the latest 10 s later;
    // after the stop event, one last reap collects whatever was handed over before it.
    do {
        reap();
    } while (WaitForSingleObject(static_cast<HANDLE>(stop), 10000) == WAIT_TIMEOUT);
    reap();
    return 0;
}

} // namespace

bool start()
{
    Locked state(stateLock);
    if (stopEvent)
        return running && uiThreadId == GetCurrentThreadId();

    stopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!stopEvent)
        return false;

    PostThreadMessageW(GetCurrentThreadId(), WM_NULL, 0, 0);
    running = true;
    uiThreadId = GetCurrentThreadId();
    hook = SetWindowsHookExW(WH_GETMESSAGE, messageHook, nullptr, uiThreadId);
    if (!hook) {
        // Without the hook no task would ever run, and a poster waiting for one would wait forever:
        // better to refuse every post.
        running = false;
        uiThreadId = 0;
        CloseHandle(stopEvent);
        stopEvent = nullptr;
        return false;
    }
    MSG ignored;
    PeekMessageW(&ignored, nullptr, 0, 0, PM_NOREMOVE);
    timerId = SetTimer(nullptr, 0, 500, nullptr);
    return true;
}

int post(std::shared_ptr<IRunable> task)
{
    if (!task)
        return -1;
    bool queued = false;
    {
        Locked state(stateLock);
        if (running) {
            Locked queue(queueLock);
            try {
                tasks.push_back(task);
                // A task whose WM_NULL never arrives would sit in the queue until some later post,
                // so a failed post of the message takes the task back out and refuses it.
                if (PostThreadMessageW(uiThreadId, WM_NULL, 0, 0))
                    queued = true;
                else
                    tasks.pop_back();
            } catch (...) {
                // Out of memory while queueing: refused like any other task that cannot be queued.
            }
        }
    }
    if (queued)
        return 0;
    platform::callbackBoundary(L"task service: a task's discard", [&] { task->discard(); });
    return -1;
}

bool addThread(void* thread)
{
    if (!thread)
        return false;
    Locked state(stateLock);
    if (!running)
        return false;
    try {
        reaperList.push_back(static_cast<HANDLE>(thread));
    } catch (...) {
        return false;
    }
    if (!reaperThread) {
        reaperThread = CreateThread(nullptr, 0, reaperMain, stopEvent, 0, nullptr);
        if (!reaperThread) {
            reaperList.pop_back();
            return false;
        }
    }
    return true;
}

void stop()
{
    TaskQueue dropped;
    platform::UniqueHandle reaper;
    HANDLE event = nullptr;
    {
        Locked state(stateLock);
        if (!stopEvent)
            return;
        assert(uiThreadId == GetCurrentThreadId() && "the task service stops on the thread that started it");
        SetEvent(stopEvent);
        running = false;
        if (hook)
            UnhookWindowsHookEx(hook);
        hook = nullptr;
        {
            Locked queue(queueLock);
            dropped.swap(tasks);
        }
        if (timerId)
            KillTimer(nullptr, timerId);
        timerId = 0;
        uiThreadId = 0;
        // With the running flag clear nothing creates a reaper or hands over a thread any more.
        reaper.reset(std::exchange(reaperThread, nullptr));
        event = stopEvent;
    }

    discardAll(dropped);

    // The reaper reaps once more after the stop event, so this waits for every handed-over thread.
    if (reaper)
        WaitForSingleObject(reaper.get(), INFINITE);

    Locked state(stateLock);
    CloseHandle(event);
    stopEvent = nullptr;
}

} // namespace SRService
