// The markup elements of the controls that own windows of their own.
#include "WindowElements.h"

#include "ComboBox.h"
#include "TitleBar.h"
#include "WebBrowser.h"

#include <ElementFactory.h>
#include <Toolkit.h>

void registerWindowElements(Toolkit& toolkit)
{
    ElementFactory& factory = toolkit.elementFactory;
    factory.addControl<ComboBox>(L"ComboBox");
    factory.addControl<TitleBar>(L"TitleBar");
    factory.addControl<WebBrowser>(L"WebBrowser");
}

void installWindowElements()
{
    Toolkit::addPartsBuilder(registerWindowElements);
}
