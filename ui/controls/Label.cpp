// Label: a line or block of text.
#include "Label.h"

Label::Label() : Label(kInitialFlags) {}

Label::Label(uint64_t initialFlags) : Control(initialFlags) {}
