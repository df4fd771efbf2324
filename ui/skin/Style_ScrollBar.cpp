// Style_ScrollBar: track, up arrow, down arrow, and (while enabled) the thumb with its icon.
#include "Style_ScrollBar.h"

#include "ControlState.h"
#include "ScrollBarParts.h"
#include "SkinImage.h"
#include "SkinPainter.h"

#include <Control.h>

namespace {

struct ArrowSkins {
    PropertyKey disabled, pressed, over, up;
};

constexpr ArrowSkins kUpArrow{PropertyKey::upArrowDisabledSkin, PropertyKey::upArrowDownSkin,
                              PropertyKey::upArrowOverSkin, PropertyKey::upArrowUpSkin};
constexpr ArrowSkins kDownArrow{PropertyKey::downArrowDisabledSkin, PropertyKey::downArrowDownSkin,
                                PropertyKey::downArrowOverSkin, PropertyKey::downArrowUpSkin};

PropertyKey arrowSkin(const ArrowSkins& skins, bool enabled, bool pressed, bool over)
{
    if (!enabled)
        return skins.disabled;
    if (pressed)
        return skins.pressed;
    if (over)
        return skins.over;
    return skins.up;
}

} // namespace

void Style_ScrollBar::draw(DeviceContext dc, const Rect& rect, Control* control)
{
    skin::drawSkin(dc, *this, PropertyKey::barSkin, rect);
    const auto* parts = dynamic_cast<const ScrollBarParts*>(control);
    if (!parts)
        return;

    const bool enabled = ControlState::of(control).enabled;
    const int32_t partState = parts->partState();
    const int32_t dx = rect.left, dy = rect.top;

    PropertyKey up = arrowSkin(kUpArrow, enabled, partState & ScrollBarParts::kUpArrowPressed,
                               partState & ScrollBarParts::kUpArrowOver);
    skin::drawSkin(dc, skin::imageOf(*this, up), parts->upArrowRect().offset(dx, dy), nullptr);
    PropertyKey down = arrowSkin(kDownArrow, enabled, partState & ScrollBarParts::kDownArrowPressed,
                                 partState & ScrollBarParts::kDownArrowOver);
    skin::drawSkin(dc, skin::imageOf(*this, down), parts->downArrowRect().offset(dx, dy), nullptr);

    // a disabled bar (nothing to scroll) shows no thumb
    if (!enabled)
        return;
    Rect thumb = parts->thumbRect();
    if (thumb.isEmpty())
        return;
    PropertyKey thumbSkin = PropertyKey::thumbUpSkin, thumbIcon = PropertyKey::thumbUpIcon;
    if (partState & ScrollBarParts::kThumbPressed) {
        thumbSkin = PropertyKey::thumbDownSkin;
        thumbIcon = PropertyKey::thumbDownIcon;
    } else if (partState & ScrollBarParts::kThumbOver) {
        thumbSkin = PropertyKey::thumbOverSkin;
        thumbIcon = PropertyKey::thumbOverIcon;
    }
    thumb = thumb.offset(dx, dy);
    thumb.left += 1;
    thumb.right -= 1;
    if (const SkinImage* image = skin::imageOf(*this, thumbSkin))
        image->drawNineSlice(dc, thumb, rectProperties.value(PropertyKey::thumbScaleGrid, Rect{}));
    if (const SkinImage* icon = skin::imageOf(*this, thumbIcon))
        icon->drawAt(dc, (thumb.left + thumb.right - icon->width) / 2, (thumb.top + thumb.bottom - icon->height) / 2);
}
