// Window objects as scripts see them: the method table and the end of a window's registration.
#pragma once

struct lua_State;
struct luaL_Reg;
class ControlHost;

// The window methods (the full set grows with the native windows; `setMessageHandler` is here).
extern const luaL_Reg kWindowMethods[];

// Creates the window's script object with the window methods and leaves it pushed.
void registerScriptWindow(lua_State* L, ControlHost* window);

// Called when the native window is destroyed: its registry entries and its timer entries go,
// and one message-bridge registration is removed.
void onScriptWindowDestroyed(lua_State* L, ControlHost* window);
