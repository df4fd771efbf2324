// Property keys of keyboard use: attributes the toolkit reads that no script property names.
#pragma once

#include "PropertyKey.h"

// Kept beyond the name table, so the table (and every script-visible number) stays as it is.
// Markup sets them by name through applyAttributes.
namespace KeyboardKey {
// On a control (integer): its place in the Tab order. Positive values come first, lowest first;
// 0 (or none) follows in document order; a negative value takes the control out of the order.
constexpr PropertyKey tabIndex = static_cast<PropertyKey>(1101);
// On a window's root control (integer): the id of the control that Escape presses.
constexpr PropertyKey closeButton = static_cast<PropertyKey>(1102);
// On a style (image name): drawn over a control that shows the focus cue, nine-sliced with the
// style's scaleGrid when it has one.
constexpr PropertyKey focusSkin = static_cast<PropertyKey>(1103);
// On a check-button style (image name): drawn centred on the state icon of a control that shows
// the focus cue.
constexpr PropertyKey focusIcon = static_cast<PropertyKey>(1104);
} // namespace KeyboardKey
