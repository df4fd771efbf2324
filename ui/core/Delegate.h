// A shared reference to a (target, function) pair; copies share the cell and its disarmed state.
#pragma once

#include "DelegatePool.h"

#include <cstdint>
#include <map>
#include <vector>

class Delegate {
public:
    Delegate() = default;
    // An empty delegate when the pool is exhausted.
    static Delegate create(void* target, HandlerFunction function);

    Delegate(const Delegate& other);
    Delegate(Delegate&& other) noexcept;
    Delegate& operator=(Delegate other) noexcept;
    ~Delegate();

    explicit operator bool() const { return cell_ != nullptr; }
    void* target() const { return cell_ ? cell_->target : nullptr; }
    HandlerFunction function() const;
    bool matches(void* target, HandlerFunction function) const;

    // Clears the function for every copy: a reference still held by a delivery in progress then
    // does nothing when it is reached.
    void disarm();

    // Calls function(target, control, event); a disarmed or empty delegate does nothing.
    void operator()(Control* control, ControlEvent* event) const;

private:
    explicit Delegate(DelegatePool::Cell* cell) : cell_(cell) {}
    DelegatePool::Cell* cell_ = nullptr;
};

// Event code -> delegates in registration order. An entry, once made, stays when its list empties.
using HandlerMap = std::map<int32_t, std::vector<Delegate>>;

// Disarms and drops the first registration of (target, function) for the code; false when none.
bool removeFirstHandler(HandlerMap& handlers, int32_t code, void* target, HandlerFunction function);
