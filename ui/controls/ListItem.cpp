// ListItem: one row of a list box: its text over the style's band while the pointer is over it.
#include "ListItem.h"

#include <ControlState.h>
#include <SkinPainter.h>
#include <Style.h>
#include <TextDrawing.h>

ListItem::ListItem() : Control(kInitialFlags) {}

Size ListItem::measureOverride(Size available)
{
    const int32_t* height = intProperties.get(PropertyKey::itemHeight);
    return {available.width, height ? *height : available.width};
}

void ListItem::paint(DeviceContext dc, const Rect& windowRect, const Rect&)
{
    const std::wstring* name = textProperties.get(PropertyKey::style);
    if (!name)
        return;
    // a style name that names nothing leaves the row without its band, but its text still shows
    if (const Style* style = skin::style(*name); style && ControlState::of(this).hovered)
        skin::drawSkin(dc, *style, PropertyKey::overSkin, windowRect);
    if (const std::wstring* text = textProperties.get(PropertyKey::text)) {
        Rect area = windowRect;
        area.left += kTextIndent;
        drawTextInFont(dc, area, text->c_str(), skin::font(L"Default"), 0x000000, TextFormat::besideIcon);
    }
}

ControlKind ListItem::kind() const
{
    return ControlKind::of(AccessRole::listItem);
}
