// The script methods of the controls that offer a choice: list boxes, combo boxes and sliders.
#pragma once

struct lua_State;
class Control;

// Sets them into the control object on top of the stack when the control offers the face
// (ControlKind.h) for them (a list box reports "Panel", the others "Control"):
//   list box, combo box   addItem(text)     appends an item
//   slider                getValue()        the value, 0 … 100
//                         setValue(n)       sets it (limited to 0 … 100; ValueChange when it changes)
void setChoiceControlMethods(lua_State* L, Control* control);
