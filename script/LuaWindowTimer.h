// Script timers: a Timer per setTimer that calls the script's function, listed by window.
#pragma once

#include <Timer.h>

struct lua_State;
class ControlHost;

namespace LuaWindow {

// Calls lua_onTimer with its own handle every period. Deleted through discard only: a timer
// killed or orphaned by its own callback (killTimer, the window's destruction) is deleted once
// that callback has returned, never under it.
class LuaWindowTimer final : public Timer {
public:
    LuaWindowTimer(lua_State* state, ControlHost* window) : state_(state), window_(window) {}
    void tick() override;
    // Stops the timer for good and deletes it, now or when its running callback returns.
    void discard();
    ControlHost* window() const { return window_; }

private:
    ~LuaWindowTimer() = default;

    lua_State* state_;     // not owned: the state the timer reports to
    ControlHost* window_;  // not owned: the window the timer was set on
    int running_ = 0;      // callbacks of this timer under way (a message box in one lets more run)
    bool discarded_ = false;
};

// The window methods setTimer and killTimer (self resolved by the caller).
int setTimer(lua_State* L, ControlHost* window);
void killTimer(lua_State* L, ControlHost* window);

// The window is gone: every timer set on it stops and goes.
void discardWindowTimers(ControlHost* window);
// The script state is closing: every script timer stops and goes.
void discardAllTimers();

} // namespace LuaWindow
