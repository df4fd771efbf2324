// Slider: a value picked by dragging a thumb along a track.
#include "Slider.h"

#include <SkinPainter.h>

Slider::Slider() : Control(kInitialFlags) {}

void Slider::paint(DeviceContext dc, const Rect& windowRect, const Rect&)
{
    skin::paintWith(skin::existingStyleOr(*this, L"slider.xml"), dc, windowRect, this);
}

Rect Slider::thumbRect(Size thumb) const
{
    if (maximum <= 0)
        return {};
    const bool vertical = intProperties.value(PropertyKey::orientation, 0) == keywordValue(PropertyKey::vertical);
    const int32_t extent = vertical ? thumb.height : thumb.width;
    const int32_t length = vertical ? rect.height() : rect.width();
    const int32_t half = extent / 2;
    const int32_t start = int32_t(half + int64_t(length - 2 * half) * value / maximum - extent / 2);
    if (vertical)
        return {0, start, rect.width(), start + extent};
    return {start, 0, start + extent, rect.height()};
}
