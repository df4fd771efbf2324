// The calls the toolkit makes upward into the layer that runs scripts, gathered in one record.
#pragma once

#include <string>

class Control;
class ControlHost;

// The script layer installs one record when its state opens and takes it away when the state
// closes; without one (tests, a toolkit running on its own) every call below is skipped and a
// link opens in the browser. UI thread only.
struct ScriptHooks {
    // A control with a script object is going away: the object goes with it, so that a later
    // control at the same address gets one of its own.
    void (*controlDestroyed)(Control* control) = nullptr;
    // A host window is going away, its tree detached: its script object, timers and message
    // handlers go with it.
    void (*windowDestroyed)(ControlHost* window) = nullptr;
    // A native modal loop that runs script code starts (a dialog, a combo box's drop-down): the
    // script layer opens a scope in which a failing script ends the loop with `end(context)`; the
    // scope it answers is handed to closeLoop when the loop is over. Loops nest; scopes end in
    // the reverse order of their start.
    void* (*openLoop)(void (*end)(void* context), void* context) = nullptr;
    void (*closeLoop)(void* scope) = nullptr;
    // A link label was pressed: opens the address, answering whether something was started.
    // Null: the machine's browser (LinkLabel::openInBrowser).
    bool (*openUrl)(const std::wstring& url) = nullptr;
};

// The record in force, or null.
const ScriptHooks* scriptHooks();
// Installs `hooks` (not owned; it must outlive its installation), or takes the record away with null.
void setScriptHooks(const ScriptHooks* hooks);
