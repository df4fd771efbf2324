// A control held across a call that may delete it: found again only as the same, attached instance.
#pragma once

#include "Control.h"

// A handler may delete the control, and the pool may hand its address to a new control at once:
// the address alone cannot tell, the address with the serial can, once the control is known to be
// attached (only then is it safe to read anything at that address).
class HeldControl {
public:
    HeldControl() = default;
    explicit HeldControl(Control* control) : control_(control), serial_(control ? control->serial() : 0) {}

    // The control while it is attached as the same instance, else null.
    Control* get() const
    {
        return Control::isAttached(control_) && control_->serial() == serial_ ? control_ : nullptr;
    }
    // The same, and only while `window` hosts it.
    Control* get(const ControlHost* window) const
    {
        Control* control = get();
        return control && control->window() == window ? control : nullptr;
    }
    // Whether nothing was taken (a null control).
    bool empty() const { return control_ == nullptr; }
    // Whether this holds `control` as the same instance (it may be detached); never reads a freed
    // address unless it is `control` itself, which the caller vouches for.
    bool is(const Control* control) const
    {
        return control && control == control_ && control->serial() == serial_;
    }

private:
    Control* control_ = nullptr;   // not owned
    uint64_t serial_ = 0;
};
