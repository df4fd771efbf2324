// Hands the toolkit the markup layer's tables: attribute setters, element factory and style registry.
#pragma once

class Toolkit;

// Fills the setter table and both creator tables and gives the toolkit an empty style registry.
// Toolkit::start calls it once registered.
void buildMarkupTables(Toolkit& toolkit);

// Registers buildMarkupTables with the toolkit; call before Toolkit::start.
void installMarkupLayer();
