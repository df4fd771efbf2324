// The shared steps of the skin recipes.
#include "SkinPainter.h"

#include "ControlState.h"
#include "SkinImage.h"
#include "TextDrawing.h"

#include <Control.h>
#include <KeyboardKeys.h>
#include <Style.h>
#include <StyleLookup.h>
#include <Toolkit.h>

namespace skin {

namespace {

constexpr wchar_t kDefaultFont[] = L"Default";
constexpr int32_t kDefaultIconGap = 2;

StyleLookup* registry()
{
    Toolkit* toolkit = Toolkit::instance();
    return toolkit ? toolkit->styleRegistry.get() : nullptr;
}

} // namespace

Style* style(const std::wstring& name)
{
    StyleLookup* lookup = registry();
    return lookup ? lookup->style(name) : nullptr;
}

SkinImage* image(const std::wstring& name)
{
    StyleLookup* lookup = registry();
    return lookup ? lookup->image(name) : nullptr;
}

SkinImage* image(const std::wstring& name, double scale)
{
    StyleLookup* lookup = registry();
    return lookup ? lookup->image(name, scale) : nullptr;
}

HFONT__* font(const std::wstring& name)
{
    StyleLookup* lookup = registry();
    return lookup ? lookup->font(name) : nullptr;
}

SkinImage* imageOf(const Object& object, PropertyKey key)
{
    const std::wstring* name = object.textProperties.get(key);
    return name ? image(*name) : nullptr;
}

HFONT__* controlFont(const Control& control)
{
    const std::wstring* name = control.textProperties.get(PropertyKey::font);
    return font(name ? *name : std::wstring(kDefaultFont));
}

Style* styleOrDefault(const Control& control, const wchar_t* fallback)
{
    const std::wstring* name = control.textProperties.get(PropertyKey::style);
    return style(name ? *name : std::wstring(fallback));
}

Style* existingStyleOr(const Control& control, const wchar_t* fallback)
{
    if (const std::wstring* name = control.textProperties.get(PropertyKey::style)) {
        if (Style* named = style(*name))
            return named;
    }
    return style(fallback);
}

void paintWith(Style* style, DeviceContext dc, const Rect& rect, Control* control)
{
    if (style)
        style->draw(dc, rect, control);
}

void drawSkin(DeviceContext dc, const SkinImage* image, const Rect& rect, const Rect* grid)
{
    if (!image)
        return;
    if (grid)
        image->drawNineSlice(dc, rect, *grid);
    else
        image->drawStretched(dc, rect);
}

void drawSkin(DeviceContext dc, const Object& style, PropertyKey imageKey, const Rect& rect, PropertyKey gridKey)
{
    drawSkin(dc, imageOf(style, imageKey), rect, style.rectProperties.get(gridKey));
}

void drawFocusSkin(DeviceContext dc, const Object& style, const Control* control, const Rect& rect)
{
    if (ControlState::of(control).focusCue)
        drawSkin(dc, style, KeyboardKey::focusSkin, rect);
}

void drawCaption(DeviceContext dc, const Object& style, const Control& control, const std::wstring& text, Rect rect,
                 uint32_t format, int32_t defaultColour)
{
    const int32_t colour = style.intProperties.value(PropertyKey::textColor, defaultColour);
    // only exactly 1 moves the caption; any other offset (2 included) leaves it in place
    if (ControlState::of(&control).pressed && style.intProperties.value(PropertyKey::downOffset, 0) == 1)
        rect = rect.offset(1, 1);
    drawTextInFont(dc, rect, text.c_str(), controlFont(control), uint32_t(colour), format);
}

void drawIconAndCaption(DeviceContext dc, const Object& style, const Control& control, const Rect& rect,
                        const SkinImage* icon, const std::wstring* text, int32_t defaultColour)
{
    if (!icon) {
        if (text)
            drawCaption(dc, style, control, *text, rect, TextFormat::caption, defaultColour);
        return;
    }

    // measure the caption in the control's font
    int32_t textWidth = 0, textHeight = 0;
    if (text) {
        Rect measured;
        drawTextInFont(dc, measured, text->c_str(), controlFont(control), 0, TextFormat::measureCaption);
        textWidth = measured.width();
        textHeight = measured.height();
    }

    // place icon and text by textPlacement; the pair is centred along the placement's axis
    const int32_t placement = style.intProperties.value(PropertyKey::textPlacement, keywordValue(PropertyKey::right));
    const int32_t gap = style.intProperties.value(PropertyKey::iconGap, kDefaultIconGap);
    const int32_t iconWidth = icon->width, iconHeight = icon->height;
    const int32_t iconY = (rect.top + rect.bottom - iconHeight) / 2;
    Rect textRect = rect;
    uint32_t format = TextFormat::besideIcon;
    if (placement == keywordValue(PropertyKey::right)) {
        const int32_t x = (rect.left + rect.right - gap - textWidth - iconWidth) / 2;
        icon->drawAt(dc, x, iconY);
        textRect.left = x + iconWidth + gap;
    } else if (placement == keywordValue(PropertyKey::left)) {
        const int32_t x = (rect.left + rect.right - gap - textWidth - iconWidth) / 2;
        icon->drawAt(dc, x + textWidth + gap, iconY);
        textRect.left = x;
        textRect.right = x + textWidth;
    } else if (placement == keywordValue(PropertyKey::bottom)) {
        const int32_t y = (rect.top + rect.bottom - gap - textHeight - iconHeight) / 2;
        icon->drawAt(dc, (rect.left + rect.right - iconWidth) / 2, y);
        textRect.top = y + iconHeight + gap;
        format = TextFormat::belowIcon;
    }
    // any other placement (top, center …) shows the caption alone

    // the pressed offset moves the text only, never the icon
    if (text)
        drawCaption(dc, style, control, *text, textRect, format, defaultColour);
}

} // namespace skin
