// Seperator: a dividing line.
#include "Seperator.h"

Seperator::Seperator() : Control(kInitialFlags) {}
