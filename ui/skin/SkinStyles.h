// The skin style classes, registered with the toolkit's element factory by class name.
#pragma once

class ElementFactory;

// The thirteen class names a style document may give.
void registerSkinStyles(ElementFactory& factory);
// Has Toolkit::start register them; call before it.
void installSkinStyles();
