// ListItem: one row of a list box.
#include "ListItem.h"

ListItem::ListItem() : Control(kInitialFlags) {}
