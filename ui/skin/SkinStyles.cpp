// The skin style classes, registered with the toolkit's element factory by class name.
#include "SkinStyles.h"

#include "Style_Background.h"
#include "Style_Button.h"
#include "Style_ButtonEx.h"
#include "Style_CheckButton.h"
#include "Style_CheckButtonEx.h"
#include "Style_ComboBox.h"
#include "Style_Edit.h"
#include "Style_IconButton.h"
#include "Style_ScrollBar.h"
#include "Style_Slider.h"
#include "Style_ToggleButton.h"
#include "Style_ToggleIconButton.h"

#include <ElementFactory.h>
#include <Style.h>
#include <Toolkit.h>

void registerSkinStyles(Toolkit& toolkit)
{
    ElementFactory& factory = toolkit.elementFactory;
    factory.addStyle<Style>(L"Style");
    factory.addStyle<Style_Background>(L"Background");
    factory.addStyle<Style_Button>(L"Button");
    factory.addStyle<Style_CheckButton>(L"CheckButton");
    factory.addStyle<Style_ComboBox>(L"ComboBox");
    factory.addStyle<Style_Edit>(L"Edit");
    factory.addStyle<Style_Slider>(L"Slider");
    factory.addStyle<Style_IconButton>(L"IconButton");
    factory.addStyle<Style_ToggleIconButton>(L"ToggleIconButton");
    factory.addStyle<Style_ScrollBar>(L"ScrollBar");
    factory.addStyle<Style_ButtonEx>(L"ButtonEx");
    factory.addStyle<Style_CheckButtonEx>(L"CheckButtonEx");
    factory.addStyle<Style_ToggleButton>(L"ToggleButton");
}

void installSkinStyles()
{
    Toolkit::addPartsBuilder(registerSkinStyles);
}
