// The skin style classes, registered with the toolkit's element factory by class name.
#pragma once

class Toolkit;

// The thirteen class names a style document may give.
void registerSkinStyles(Toolkit& toolkit);
// Has Toolkit::start register them; call before it.
void installSkinStyles();
