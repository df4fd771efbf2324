// RadioButton: a button whose clicks check it; it never unchecks itself.
#include "RadioButton.h"

RadioButton::RadioButton() : Button(kInitialFlags) {}
