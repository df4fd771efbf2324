// The markup elements of the controls that own windows of their own.
#include "WindowElements.h"

#include "ComboBox.h"
#include "TitleBar.h"
#include "WebBrowser.h"

#include <ElementFactory.h>
#include <Toolkit.h>

namespace {

void buildWindowElements(Toolkit& toolkit)
{
    registerWindowElements(toolkit.elementFactory);
}

} // namespace

void registerWindowElements(ElementFactory& factory)
{
    factory.addControl<ComboBox>(L"ComboBox");
    factory.addControl<TitleBar>(L"TitleBar");
    factory.addControl<WebBrowser>(L"WebBrowser");
}

void installWindowElements()
{
    Toolkit::addPartsBuilder(buildWindowElements);
}
