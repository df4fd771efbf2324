// Applying an element's attributes to the control or style built from it.
#pragma once

#include "XmlDocument.h"

class Object;

// For each attribute in document order (so a repeated attribute's later value wins): the setter
// of that name when the toolkit's table has one; otherwise, on a control, `visible`, `enabled`
// and `transparent` set their flag bit for exactly "1" and clear it for any other text;
// `tabIndex` and `closeButton` (controls) and `focusSkin` and `focusIcon` (styles) set the keys of
// KeyboardKeys.h. Anything else is ignored. Flags change without events or repaint: the tree is
// not attached yet.
void applyAttributes(Object* object, const XmlNode* element);
