// ScrollBar: a scroll bar with arrows, track and thumb.
#include "ScrollBar.h"

ScrollBar::ScrollBar() : Control(kInitialFlags) {}
