// Which controls the Tab key stops at, and in which order.
#pragma once

#include <Control.h>

#include <vector>

// The rules, in one place for the host window and its tests:
// - stops are the kinds that say so (ControlKind::tabStop): buttons of every kind (check boxes,
//   radio buttons, tab items included), the text box, the edit, the list box, the combo box, the
//   slider, the link label and a label a script made clickable; other labels, panels, images and
//   progress bars are not, unless markup gives such a control (not a panel) a `tabIndex` of 0 or
//   more;
// - a control counts while it is enabled and it and every ancestor are visible (a page that is
//   hidden takes its whole content out); collapsed controls do not count;
// - order: controls with a positive `tabIndex`, lowest first, then those without one (or 0), each
//   in document order (depth first, children in markup order; a tab control's selected page
//   after its tabs); a negative `tabIndex` takes the control out;
// - radio buttons with the same parent are one stop, at the place of the first of them: the
//   focused one when the focus is in the group, else the checked one, else the first.
namespace TabOrder {

// Whether the control's kind takes part in the Tab order without a `tabIndex` (state aside).
bool isStopKind(const Control* control);
// A stop by kind, or one that markup gave a `tabIndex` of 0 or more (state and a negative
// `tabIndex` aside): screen readers hear exactly these as focusable.
bool canHoldFocus(const Control* control);
// The stops of the tree under `root`, in order, each radio group as the one control that stands
// for it while `focused` has the focus.
std::vector<Control*> stops(Control* root, const Control* focused);
// The stop after `from` (before it when `backward`), wrapping around; from nothing (or from a
// control that is no stop) the first (last) stop. Null when there is no stop at all.
Control* next(Control* root, Control* from, bool backward);
// The radio button of the same group after (before) `from`, wrapping; null when `from` is no
// radio button or is alone.
Control* nextInGroup(Control* from, bool backward);

} // namespace TabOrder
