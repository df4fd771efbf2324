// Style_Background: `img` over the rectangle, nine-sliced or stretched.
#include "Style_Background.h"

#include "SkinPainter.h"

void Style_Background::draw(DeviceContext dc, const Rect& rect, Control*)
{
    skin::drawSkin(dc, *this, PropertyKey::img, rect);
}
