// Lets the layer that runs script code end a native modal loop that runs it.
#pragma once

// A native loop (the combo box's drop-down) dispatches timers and notifications that run script
// code. When that code fails, the script layer must be able to end the loop so the failure can
// unwind. The loop holds a guard while it runs; the script layer installs the two hooks (it opens
// its failure scope for the guard and closes it again); without them a guard does nothing. The
// loop's `end` only marks the loop as ending and wakes it. UI thread only; guards end in the
// reverse order of their start, as the loops nest.
class ModalLoopGuard {
public:
    using EndLoop = void (*)(void* context);
    using OpenHook = void* (*)(EndLoop end, void* context);
    using CloseHook = void (*)(void* scope);

    ModalLoopGuard(EndLoop end, void* context) : scope_(openHook ? openHook(end, context) : nullptr) {}
    ~ModalLoopGuard()
    {
        if (scope_ && closeHook)
            closeHook(scope_);
    }
    ModalLoopGuard(const ModalLoopGuard&) = delete;
    ModalLoopGuard& operator=(const ModalLoopGuard&) = delete;

    static OpenHook openHook;
    static CloseHook closeHook;

private:
    void* scope_;
};
