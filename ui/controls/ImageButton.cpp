// ImageButton: a button that draws its image under its style.
#include "ImageButton.h"

#include <SkinImage.h>
#include <SkinPainter.h>

ImageButton::ImageButton() : Button(kInitialFlags) {}

void ImageButton::paint(DeviceContext dc, const Rect& windowRect, const Rect& clip)
{
    skin::drawSkin(dc, skin::imageOf(*this, PropertyKey::img), windowRect, nullptr);
    Button::paint(dc, windowRect, clip);
}
