// The unit of work the task service carries to the UI thread.
#pragma once

namespace SRService {

// A task that runs once on the UI thread on behalf of another thread. The poster wraps it in a
// shared pointer; the service keeps one reference until the task has run or has been given up.
//
// Every task handed to post ends in exactly one of the two calls below: run when it reaches the
// UI thread, or discard when it never will (post refused it, or stop found it still queued).
// Anything that waits for a task's effect must end its wait in both.
class IRunable {
public:
    virtual ~IRunable() = default;

    // The work itself, on the UI thread, between two messages of whatever loop is active.
    virtual void run() = 0;

    // The service will never run this task. Called on the posting thread when post refuses it,
    // or on the UI thread during stop; outside the service's locks, so it may post (and be
    // refused). Must not block.
    virtual void discard() {}
};

} // namespace SRService
