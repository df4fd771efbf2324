// The delegates one delivery is going to call, collected before the first call.
#pragma once

#include "ControlEvent.h"
#include "Delegate.h"

#include <cstddef>
#include <vector>

// Sixteen references live inline, so an ordinary dispatch allocates nothing; a longer delivery
// path spills into the heap instead of overrunning.
class GatheredDelegates {
public:
    static constexpr size_t kInline = 16;

    void push(const Delegate& delegate)
    {
        if (count_ < kInline)
            inline_[count_] = delegate;
        else
            overflow_.push_back(delegate);
        ++count_;
    }
    size_t size() const { return count_; }
    const Delegate& operator[](size_t i) const { return i < kInline ? inline_[i] : overflow_[i - kInline]; }

    // Calls each delegate with (its target, control, event), front to back or back to front,
    // stopping as soon as the event is handled. Disarmed delegates are passed over.
    void callAll(Control* control, ControlEvent& event, bool backwards) const
    {
        for (size_t n = 0; n < count_; ++n) {
            if (event.handled)
                return;
            (*this)[backwards ? count_ - 1 - n : n](control, &event);
        }
    }

private:
    Delegate inline_[kInline];
    std::vector<Delegate> overflow_;
    size_t count_ = 0;
};
