// The core's own markup elements: the layout panels and the window root.
#include "PanelElements.h"

#include "Canvas.h"
#include "DockPanel.h"
#include "ElementFactory.h"
#include "Grid.h"
#include "StackPanel.h"

void registerPanelElements(ElementFactory& factory)
{
    factory.addControl<Canvas>(L"Canvas");
    factory.addControl<StackPanel>(L"StackPanel");
    factory.addControl<DockPanel>(L"DockPanel");
    factory.addControl<Grid>(L"Grid");
    // a window's root is an overlay panel
    factory.addControl<Grid>(L"Window");
}
