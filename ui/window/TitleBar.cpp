// TitleBar: the strip that drags its window.
#include "TitleBar.h"

TitleBar::TitleBar() : Control(kInitialFlags) {}
