// Native handlers that hand control events and worker notifications to the UI script.
#pragma once

class Control;
struct ControlEvent;

// Registered on a control for every event code that has script handlers (target: the control).
// Runs the script handler list of the code; a true result marks the event handled.
void scriptEventBridge(void* target, Control* control, ControlEvent* event);

// Registered as a global handler of event 1024 per window that set a message handler (target:
// the window's ControlHost). Hands the notification text to the window's script handler and
// stores its integer answer into the event's lparam; after a UI script failure the answer is
// always "stop" (2).
void scriptMessageBridge(void* target, Control* control, ControlEvent* event);
