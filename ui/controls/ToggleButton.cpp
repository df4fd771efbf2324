// ToggleButton: a button that stays pressed or released, click by click.
#include "ToggleButton.h"

ToggleButton::ToggleButton() : ToggleButton(kInitialFlags) {}

ToggleButton::ToggleButton(uint64_t initialFlags) : Button(initialFlags)
{
    addHandler(EventCode::Click, this, onClick);
}

void ToggleButton::onClick(void* self, Control*, ControlEvent*)
{
    static_cast<ToggleButton*>(self)->toggleChecked();
}

ControlKind ToggleButton::kind() const
{
    ControlKind kind = Button::kind();
    kind.latches = true;
    return kind;
}
