// ComboBox: a choice from a drop-down list in a popup window.
#include "ComboBox.h"

ComboBox::ComboBox() : Control(kInitialFlags) {}
