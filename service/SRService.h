// The UI-thread task service: runs tasks on the UI thread for any thread, and reaps finished threads.
#pragma once

#include "IRunable.h"

#include <memory>

namespace SRService {

// On the UI thread. Installs the message hook that runs tasks and the thread timer. Returns true
// when the service is running for the calling thread afterwards (a second call on the same thread
// changes nothing). A stopped service may be started again.
bool start();

// From any thread. Queues the task for the UI thread and returns 0; returns -1 when the service
// is not running (or the UI thread cannot be reached), after calling the task's discard. A null
// task is refused with -1.
int post(std::shared_ptr<IRunable> task);

// From any thread. Hands a thread handle to the reaper, which then owns it, closes it when the
// thread has ended, and makes stop wait for it. Returns false for a null handle or when the
// service is not running; the handle then stays with the caller.
bool addThread(void* thread);

// On the UI thread. Refuses further work, discards every task still queued (discard, then the
// service's reference is dropped), and returns once every thread handed to the reaper has ended.
void stop();

} // namespace SRService
