// How a control tree looks to screen readers: which controls show, and each one's role, name,
// value, state and default action in MSAA's terms.
#pragma once

#include <Control.h>

#include <windows.h>

#include <string>
#include <vector>

class ControlHost;

namespace accessible {

// What the default action of a control does.
enum class Action { none, press, toggle, check, jump, select };

// Shown to assistive technology: visible (with every ancestor) and meaningful. Layout panels
// without an id are not shown themselves; their children take their place. Decorations (a label
// without text, a separator, an image without an accName) are left out.
bool exposed(const Control* control);
// Like exposed, but a hidden control still counts: a held object reports it as invisible.
bool meaningful(const Control* control);
// The exposed controls below `control`, in document order, looking through unexposed panels.
std::vector<Control*> children(const Control* control);
// The nearest exposed ancestor; null for the root (the window's client object).
Control* parent(const Control* control, const Control* root);

LONG role(const Control* control);
// The `accName` attribute, else the caption; an entry field or a bar is named by the plain
// caption label placed before it, a page by its first plain caption (its heading).
std::wstring name(const Control* control);
// The text of a text box, an edit or a combo box, progress percent, slider value; empty when the
// role has none.
std::wstring value(const Control* control);
bool hasValue(const Control* control);
// STATE_SYSTEM_* bits; `host` says which control holds the focus.
LONG state(const Control* control, const ControlHost* host);
Action defaultAction(const Control* control);
// The English verb MSAA clients show for the action ("Press", "Check", ...); empty for none.
std::wstring actionName(const Control* control);

// The child id a window event names the control by: negative, unique in the process, stable for
// the control's life, so it never collides with the 1-based positions get_accChild also takes.
LONG childId(const Control* control);
// The control of the tree under `root` a negative child id names; null when it is gone.
Control* findByChildId(Control* root, LONG childId);
// The deepest exposed control under a client point, or null.
Control* hitTest(Control* root, Point client);

} // namespace accessible
