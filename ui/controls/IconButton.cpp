// IconButton: a button with an icon look.
#include "IconButton.h"

IconButton::IconButton() : Button(kInitialFlags) {}
