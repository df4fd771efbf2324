// The fixed process-wide store of delegate cells: (target, function) pairs with shared ownership.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

class Control;
struct ControlEvent;

// target: the object the handler was made for; control: the control the event was sent to (null
// for global broadcasts).
using HandlerFunction = void (*)(void* target, Control* control, ControlEvent* event);

// Registering a handler never takes a delegate from the heap. Past the capacity, acquire fails
// cleanly and the registration is refused; cells come back when their last reference goes.
class DelegatePool {
public:
    static constexpr size_t kCapacity = 50000;

    struct Cell {
        void* target;
        std::atomic<HandlerFunction> function;   // null: disarmed
        std::atomic<int32_t> references;
        Cell* nextFree;
    };

    // A cell holding one reference, or null when every cell is in use.
    static Cell* acquire(void* target, HandlerFunction function);
    static void addReference(Cell* cell);
    static void dropReference(Cell* cell);

    static size_t liveCount();
};
