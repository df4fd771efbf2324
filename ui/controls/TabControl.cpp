// TabControl: tab items over one shown page.
#include "TabControl.h"

TabControl::TabControl() : Panel(kInitialFlags) {}
