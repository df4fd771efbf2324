// A button that stays pressed or released, click by click.
#pragma once

#include "Button.h"

class ToggleButton : public Button {
public:
    static constexpr uint64_t kInitialFlags = Button::kInitialFlags;

    ToggleButton();
    // Stays down while checked.
    ControlKind kind() const override;

protected:
    // Each Click toggles the checked state (ValueChange, repaint) before any handler a script adds.
    explicit ToggleButton(uint64_t initialFlags);

private:
    static void onClick(void* self, Control*, ControlEvent* event);
};
