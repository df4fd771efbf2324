// Button: the press-and-release rule that turns a completed click into a deferred Click.
#include "Button.h"

#include <ControlHost.h>
#include <Toolkit.h>

Button::Button() : Button(kInitialFlags) {}

Button::Button(uint64_t initialFlags) : Control(initialFlags)
{
    // registered first, so it runs before any handler a script adds for the same event
    addHandler(EventCode::LButtonUp, this, onLButtonUp);
}

const wchar_t* Button::className() const
{
    return L"Button";
}

void Button::onLButtonUp(void* target, Control*, ControlEvent* event)
{
    auto* button = static_cast<Button*>(target);
    if (!(button->flags() & Flag::captured))
        return;
    // Click is posted, not sent: it arrives after the window has finished with this release
    // (capture released, hover re-evaluated), from the message loop.
    Rect area;
    if (button->window() && button->absoluteRect(area) && area.contains(button->window()->cursorPosition())) {
        button->post(EventCode::Click);
    }
    event->handled = 1;
}

ControlKind Button::kind() const
{
    ControlKind kind = ControlKind::stop(AccessRole::pushButton);
    kind.keyAction = KeyAction::click;
    kind.scriptCheck = true;
    return kind;
}
