// The methods of control objects: the common set, then those of the control's script class.
#pragma once

struct lua_State;
class Control;

// Sets the methods for `control` into the table on top of the stack.
void setControlMethods(lua_State* L, Control* control);
