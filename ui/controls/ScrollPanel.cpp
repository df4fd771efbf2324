// ScrollPanel: a panel whose content scrolls.
#include "ScrollPanel.h"

ScrollPanel::ScrollPanel() : ScrollPanel(kInitialFlags) {}

ScrollPanel::ScrollPanel(uint64_t initialFlags) : Panel(initialFlags) {}
