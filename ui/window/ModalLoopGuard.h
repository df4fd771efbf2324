// Lets the layer that runs script code end a native modal loop that runs it.
#pragma once

#include <ScriptHooks.h>

// A native loop (a dialog's, the combo box's drop-down) dispatches timers and notifications that
// run script code. When that code fails, the script layer must be able to end the loop so the
// failure can unwind. The loop holds a guard while it runs, which opens the script layer's failure
// scope for it (ScriptHooks::openLoop) and closes it again; without the hooks a guard does
// nothing. The loop's `end` only marks the loop as ending and wakes it. UI thread only; guards
// end in the reverse order of their start, as the loops nest.
class ModalLoopGuard {
public:
    using EndLoop = void (*)(void* context);

    ModalLoopGuard(EndLoop end, void* context)
    {
        const ScriptHooks* hooks = scriptHooks();
        if (hooks && hooks->openLoop && hooks->closeLoop) {
            scope_ = hooks->openLoop(end, context);
            closeLoop_ = hooks->closeLoop;
        }
    }
    ~ModalLoopGuard()
    {
        if (scope_)
            closeLoop_(scope_);
    }
    ModalLoopGuard(const ModalLoopGuard&) = delete;
    ModalLoopGuard& operator=(const ModalLoopGuard&) = delete;

private:
    void* scope_ = nullptr;
    void (*closeLoop_)(void* scope) = nullptr;   // the one that opened the scope closes it
};
