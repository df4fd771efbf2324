// The methods of control objects: the common set, then those of the control's script class.
#pragma once

struct lua_State;
class Control;

// Sets the methods for `control` into the table on top of the stack: the common set, then what its
// kind offers (ControlKind.h): a panel's children, a button's check, a text box's or an edit's own
// text, a progress bar's range and position, a slide show's start and stop; beside those a list
// box's or a combo box's addItem(text), or a slider's getValue() and setValue(n) (0 … 100).
void setControlMethods(lua_State* L, Control* control);
