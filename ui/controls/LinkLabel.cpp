// LinkLabel: a label that opens its link when clicked.
#include "LinkLabel.h"

LinkLabel::LinkLabel() : Label(kInitialFlags) {}
