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

namespace EventCode {
enum : int32_t {
    Attached = 0,
    Detached = 1,
    GotFocus = 2,
    LostFocus = 3,
    PrevKeyDown = 4,
    KeyDown = 5,
    PrevKeyUp = 6,
    KeyUp = 7,
    PrevKeyPress = 8,
    KeyPress = 9,
    GotCapture = 10,
    LostCapture = 11,
    PrevLButtonDown = 12,
    LButtonDown = 13,
    PrevLButtonUp = 14,
    LButtonUp = 15,
    PrevRButtonDown = 16,
    RButtonDown = 17,
    PrevRButtonUp = 18,
    RButtonUp = 19,
    LButtonDbClick = 20,
    RButtonDbClick = 21,
    PrevMouseWheel = 22,
    MouseWheel = 23,
    MouseMove = 25,
    MouseEnter = 26,
    MouseLeave = 27,
    QueryCursor = 28,
    Click = 30,
    ValueChange = 31,
    Notify = 32,
    WorkerNotification = 1024,   // broadcast to the global handlers only
};
} // namespace EventCode
