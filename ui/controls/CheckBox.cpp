// CheckBox: a button whose clicks toggle its checked state.
#include "CheckBox.h"

CheckBox::CheckBox() : Button(kInitialFlags) {}
