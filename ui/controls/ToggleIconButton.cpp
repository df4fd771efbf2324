// ToggleIconButton: a toggle button with an icon look.
#include "ToggleIconButton.h"

ToggleIconButton::ToggleIconButton() : ToggleButton(kInitialFlags) {}
