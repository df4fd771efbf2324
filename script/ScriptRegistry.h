// The native side of the window, control and timer registries that link script tables to objects.
#pragma once

#include <cstdint>

struct lua_State;
struct luaL_Reg;
class Control;
class ControlHost;

// A native object as scripts see it: its address as a number, compared by value; 0 is none.
void pushScriptHandle(lua_State* L, const void* object);
void* scriptHandleArg(lua_State* L, int index);

// Registry fields of the UI state: "__window", "__control" and "__timer" (created here).
void createScriptRegistries(lua_State* L);

// Windows are known to scripts by their ControlHost address. Each operation calls the script's
// lua_* function of the same role by global name, protected (a failure becomes the state's
// pending error and reads as "not found").

// Creates a table holding `methods`, records it with the window's handle and leaves it pushed.
void registerWindowObject(lua_State* L, ControlHost* window, const luaL_Reg* methods);
// Pushes the window's object, or nil.
void pushWindowObject(lua_State* L, ControlHost* window);
// The window of the object at `index` (argument 1 of a method), or null; the stack is unchanged.
ControlHost* windowFromSelf(lua_State* L, int index = 1);
// Removes the window's entry and its timer entries.
void unregisterWindowObject(lua_State* L, ControlHost* window);

// Pushes the control's object, creating and recording it on first use; nil for null.
void pushControlObject(lua_State* L, Control* control);
// The control of the object at `index`, or null; the stack is unchanged.
Control* controlFromSelf(lua_State* L, int index = 1);
// Forgets the control's object (its destructor calls this while the scriptObject bit is set).
void unregisterControlObject(lua_State* L, Control* control);
// Pushes the dispatcher table of the object at `index`, or nil.
void pushControlDispatcher(lua_State* L, int index);

// Pushes the global `name` without metamethods: a script's own _G hooks must not raise here,
// under native frames, outside any protected call.
void pushRawGlobal(lua_State* L, const char* name);

// Calls global `function` with the registry field `field` followed by the `nargs` values on top
// of the stack, for `nresults` results (nils when the call failed).
bool callRegistryFunction(lua_State* L, const char* function, const char* field, int nargs, int nresults);
