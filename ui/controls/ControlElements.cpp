// The controls' markup elements, registered with the toolkit's element factory.
#include "ControlElements.h"

#include "Button.h"
#include "CheckBox.h"
#include "Drawing.h"
#include "Edit.h"
#include "IconButton.h"
#include "ImageButton.h"
#include "Label.h"
#include "LinkLabel.h"
#include "ListBox.h"
#include "PowerPoint.h"
#include "ProgressBar.h"
#include "RadioButton.h"
#include "ScrollPanel.h"
#include "Seperator.h"
#include "Slider.h"
#include "TabControl.h"
#include "TabItem.h"
#include "TextBox.h"
#include "ToggleButton.h"
#include "ToggleIconButton.h"

#include <ElementFactory.h>
#include <Toolkit.h>

namespace {

// A tab item's first child node is its page: shown by the tab control, not a child in the tree.
void takeTabPage(Control* control, std::unique_ptr<Control> page)
{
    auto* item = dynamic_cast<TabItem*>(control);
    if (!item)
        return;
    delete item->content;
    item->content = page.release();
}

} // namespace

void registerControlElements(Toolkit& toolkit)
{
    ElementFactory& factory = toolkit.elementFactory;
    factory.addControl<TabControl>(L"TabControl");
    factory.addControl<ToggleIconButton>(L"ToggleIconButton");
    factory.addControl<Edit>(L"Edit");
    factory.addControl<Drawing>(L"Image");
    factory.addControl<Label>(L"Label");
    factory.addControl<Slider>(L"Slider");
    factory.addControl<Button>(L"Button");
    factory.addControl<IconButton>(L"IconButton");
    factory.addControl<ToggleButton>(L"ToggleButton");
    factory.addControl<RadioButton>(L"RadioButton");
    factory.addControl<CheckBox>(L"CheckBox");
    factory.addControl<TabItem>(L"TabItem", takeTabPage);
    factory.addControl<ListBox>(L"ListBox");
    factory.addControl<ScrollPanel>(L"ScrollPanel");
    factory.addControl<TextBox>(L"TextBox");
    factory.addControl<Seperator>(L"Seperator");
    factory.addControl<ImageButton>(L"ImageButton");
    factory.addControl<PowerPoint>(L"PowerPoint");
    factory.addControl<LinkLabel>(L"LinkLabel");
    factory.addControl<ProgressBar>(L"ProgressBar");
}

void installControlElements()
{
    Toolkit::addPartsBuilder(registerControlElements);
}
