// ListBox: a scrolling list of equal-height items.
#include "ListBox.h"

ListBox::ListBox() : ScrollPanel(kInitialFlags) {}
