// The element names of window markup and the class names of style documents, with their creators.
#include "ElementCreators.h"

#include <Button.h>
#include <Canvas.h>
#include <CheckBox.h>
#include <ComboBox.h>
#include <DockPanel.h>
#include <Drawing.h>
#include <Edit.h>
#include <Grid.h>
#include <IconButton.h>
#include <ImageButton.h>
#include <Label.h>
#include <LinkLabel.h>
#include <ListBox.h>
#include <PowerPoint.h>
#include <ProgressBar.h>
#include <RadioButton.h>
#include <ScrollPanel.h>
#include <Seperator.h>
#include <Slider.h>
#include <StackPanel.h>
#include <Style.h>
#include <Style_Background.h>
#include <Style_Button.h>
#include <Style_ButtonEx.h>
#include <Style_CheckButton.h>
#include <Style_CheckButtonEx.h>
#include <Style_ComboBox.h>
#include <Style_Edit.h>
#include <Style_IconButton.h>
#include <Style_ScrollBar.h>
#include <Style_Slider.h>
#include <Style_ToggleButton.h>
#include <Style_ToggleIconButton.h>
#include <TabControl.h>
#include <TabItem.h>
#include <TextBox.h>
#include <TitleBar.h>
#include <ToggleButton.h>
#include <ToggleIconButton.h>
#include <WebBrowser.h>

namespace {

template <class T>
void add(std::map<std::wstring, std::unique_ptr<duiFactory::Creator>>& map, const wchar_t* name)
{
    map[name] = std::make_unique<duiFactory::Creator_<T>>();
}

} // namespace

void fillControlCreators(ElementFactory& factory)
{
    auto& map = factory.controlCreators;
    add<Canvas>(map, L"Canvas");
    add<StackPanel>(map, L"StackPanel");
    add<DockPanel>(map, L"DockPanel");
    add<Grid>(map, L"Grid");
    add<TabControl>(map, L"TabControl");
    add<ComboBox>(map, L"ComboBox");
    add<ToggleIconButton>(map, L"ToggleIconButton");
    add<Edit>(map, L"Edit");
    add<Drawing>(map, L"Image");
    add<Label>(map, L"Label");
    add<Slider>(map, L"Slider");
    add<Button>(map, L"Button");
    add<IconButton>(map, L"IconButton");
    add<ToggleButton>(map, L"ToggleButton");
    add<RadioButton>(map, L"RadioButton");
    add<CheckBox>(map, L"CheckBox");
    add<TitleBar>(map, L"TitleBar");
    add<TabItem>(map, L"TabItem");
    add<ListBox>(map, L"ListBox");
    // a window's root is an overlay panel
    add<Grid>(map, L"Window");
    add<ScrollPanel>(map, L"ScrollPanel");
    add<TextBox>(map, L"TextBox");
    add<WebBrowser>(map, L"WebBrowser");
    add<Seperator>(map, L"Seperator");
    add<ImageButton>(map, L"ImageButton");
    add<PowerPoint>(map, L"PowerPoint");
    add<LinkLabel>(map, L"LinkLabel");
    add<ProgressBar>(map, L"ProgressBar");
}

void fillStyleCreators(ElementFactory& factory)
{
    auto& map = factory.styleCreators;
    add<Style>(map, L"Style");
    add<Style_Background>(map, L"Background");
    add<Style_Button>(map, L"Button");
    add<Style_CheckButton>(map, L"CheckButton");
    add<Style_ComboBox>(map, L"ComboBox");
    add<Style_Edit>(map, L"Edit");
    add<Style_Slider>(map, L"Slider");
    add<Style_IconButton>(map, L"IconButton");
    add<Style_ToggleIconButton>(map, L"ToggleIconButton");
    add<Style_ScrollBar>(map, L"ScrollBar");
    add<Style_ButtonEx>(map, L"ButtonEx");
    add<Style_CheckButtonEx>(map, L"CheckButtonEx");
    add<Style_ToggleButton>(map, L"ToggleButton");
}
