// The markup layer's contribution to Toolkit::start.
#include "MarkupParts.h"

#include "ElementCreators.h"
#include "SetterTable.h"
#include "StyleRegistry.h"

#include <Toolkit.h>

void buildMarkupParts(Toolkit& toolkit)
{
    fillSetterTable(toolkit.setterTable);
    fillControlCreators(toolkit.elementFactory);
    fillStyleCreators(toolkit.elementFactory);
    toolkit.styleRegistry = std::make_unique<StyleRegistry>();
}

void installMarkupParts()
{
    Toolkit::setPartsBuilder(buildMarkupParts);
}
