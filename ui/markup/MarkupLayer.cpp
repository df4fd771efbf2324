// The markup layer's contribution to Toolkit::start.
#include "MarkupLayer.h"

#include "SetterTable.h"
#include "StyleRegistry.h"
#include "WindowMarkup.h"

#include <Toolkit.h>

void buildMarkupTables(Toolkit& toolkit)
{
    fillSetterTable(toolkit.setterTable);
    toolkit.styleRegistry = std::make_unique<StyleRegistry>();
    toolkit.framePackage = std::make_unique<MarkupFramePackage>();
}

void installMarkupLayer()
{
    Toolkit::addPartsBuilder(buildMarkupTables);
}
