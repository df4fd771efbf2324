// Hands the toolkit the markup layer's parts: attribute setters, style registry and frame package.
#pragma once

class Toolkit;

// Fills the setter table and gives the toolkit an empty style registry and frame package.
// Toolkit::start calls it once registered; the elements come from the layers that own them.
void buildMarkupTables(Toolkit& toolkit);

// Registers buildMarkupTables with the toolkit; call before Toolkit::start.
void installMarkupLayer();
