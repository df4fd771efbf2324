// Drawing: a picture from the skin images.
#include "Drawing.h"

#include <SkinImage.h>
#include <SkinPainter.h>

Drawing::Drawing() : Control(kInitialFlags) {}

const wchar_t* Drawing::className() const
{
    return L"Image";
}

void Drawing::paint(DeviceContext dc, const Rect& windowRect, const Rect&)
{
    if (const SkinImage* image = skin::imageOf(*this, PropertyKey::src))
        image->drawStretched(dc, windowRect);
}

Size Drawing::measureOverride(Size)
{
    const SkinImage* image = skin::imageOf(*this, PropertyKey::src);
    if (!image || !image->bitmap())
        return {0, 0};
    return {image->width, image->height};
}

ControlKind Drawing::kind() const
{
    ControlKind kind = ControlKind::of(AccessRole::graphic);
    kind.shown = AccessShown::never;
    return kind;
}
