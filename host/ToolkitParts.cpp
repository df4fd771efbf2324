// Everything the toolkit is made of beyond its core, registered in one place before it starts.
#include "ToolkitParts.h"

#include <ControlElements.h>
#include <MarkupLayer.h>
#include <SkinStyles.h>
#include <WindowElements.h>

void installToolkitParts()
{
    installMarkupLayer();
    installControlElements();
    installWindowElements();
    installSkinStyles();
}
