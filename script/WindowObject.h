// Window objects as scripts see them: createWindow, the method table and the end of a window's registration.
#pragma once

struct lua_State;
struct luaL_Reg;
class ControlHost;

// The seventeen window methods.
extern const luaL_Reg kWindowMethods[];

// Sets the global createWindow (markup name [, style]) -> window object.
void registerCreateWindow(lua_State* L);

// Creates the window's script object with the window methods and leaves it pushed.
void registerScriptWindow(lua_State* L, ControlHost* window);

// Called when the native window is destroyed: its timers stop and go, every message-bridge
// registration of it is removed, and with a state its registry entries and timer entries go.
void onScriptWindowDestroyed(lua_State* L, ControlHost* window);
// Called when the state closes, for the windows that outlive it: their message bridges go now,
// as the script layer hears nothing of them afterwards.
void forgetScriptWindows();
