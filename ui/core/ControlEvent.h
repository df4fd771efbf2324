// The event record every control event travels in, its directions and the event codes.
#pragma once

#include <cstdint>

enum EventDirection : int32_t {
    Preview = 0,    // root first, down to the target
    Bubbling = 1,   // target first, up to the root
    Direct = 2,     // the target only
};

// The sender owns the record, sends it with handled 0 and reads handled and lparam afterwards.
struct ControlEvent {
    int32_t code = 0;
    int32_t direction = Direct;
    uint64_t wparam = 0;
    int64_t lparam = 0;   // a handler may answer here (worker notifications)
    int32_t handled = 0;  // non-zero stops the delivery
};

// The event codes, each once: X(name, code, seen). `seen` tells whether the UI script's `event`
// table names it (the script-side table is generated from this list); worker notifications
// are broadcast to global handlers only.
#define ORVO_EVENT_CODES(X) \
    X(Attached, 0, true) \
    X(Detached, 1, true) \
    X(GotFocus, 2, true) \
    X(LostFocus, 3, true) \
    X(PrevKeyDown, 4, true) \
    X(KeyDown, 5, true) \
    X(PrevKeyUp, 6, true) \
    X(KeyUp, 7, true) \
    X(PrevKeyPress, 8, true) \
    X(KeyPress, 9, true) \
    X(GotCapture, 10, true) \
    X(LostCapture, 11, true) \
    X(PrevLButtonDown, 12, true) \
    X(LButtonDown, 13, true) \
    X(PrevLButtonUp, 14, true) \
    X(LButtonUp, 15, true) \
    X(PrevRButtonDown, 16, true) \
    X(RButtonDown, 17, true) \
    X(PrevRButtonUp, 18, true) \
    X(RButtonUp, 19, true) \
    X(LButtonDbClick, 20, true) \
    X(RButtonDbClick, 21, true) \
    X(PrevMouseWheel, 22, true) \
    X(MouseWheel, 23, true) \
    X(MouseMove, 25, true) \
    X(MouseEnter, 26, true) \
    X(MouseLeave, 27, true) \
    X(QueryCursor, 28, true) \
    X(Click, 30, true) \
    X(ValueChange, 31, true) \
    X(Notify, 32, true) \
    X(WorkerNotification, 1024, false)

namespace EventCode {
enum : int32_t {
#define ORVO_EVENT_CODE(name, code, seen) name = code,
    ORVO_EVENT_CODES(ORVO_EVENT_CODE)
#undef ORVO_EVENT_CODE
};
} // namespace EventCode
