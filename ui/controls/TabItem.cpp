// TabItem: the header of one tab page: selected by a press, never clicked.
#include "TabItem.h"

TabItem::TabItem() : Button(kInitialFlags) {}

TabItem::~TabItem()
{
    delete content;
}
