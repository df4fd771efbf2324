// The core's own markup elements: the layout panels and the window root.
#pragma once

class ElementFactory;

// Canvas, StackPanel, DockPanel, Grid, and Window (a window's root is an overlay grid).
void registerPanelElements(ElementFactory& factory);
