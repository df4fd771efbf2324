// The controls' markup elements, registered with the toolkit's element factory.
#pragma once

class Toolkit;

// The twenty elements of this folder (Button … ProgressBar), with the tab item's content rule.
void registerControlElements(Toolkit& toolkit);
// Has Toolkit::start register them; call before it.
void installControlElements();
