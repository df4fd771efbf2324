// The steps the skin styles are made of: name lookups, the background-skin composite, the caption, icon and caption.
#pragma once

#include <Geometry.h>
#include <NativeTypes.h>
#include <PropertyKey.h>

#include <cstdint>
#include <string>

class Control;
class Object;
class SkinImage;
class Style;
struct HFONT__;

namespace skin {

// --- lookups through the toolkit's style registry; null without a toolkit or without the name ---

Style* style(const std::wstring& name);
SkinImage* image(const std::wstring& name);
// The image drawn for that display scale (1: the package's own pixels, whatever the window's scale).
SkinImage* image(const std::wstring& name, double scale);
HFONT__* font(const std::wstring& name);
// The image named by a text property of `object` (a style's skin property, a control's icon).
SkinImage* imageOf(const Object& object, PropertyKey key);
// The font named by the control's `font` property, "Default" when it has none.
HFONT__* controlFont(const Control& control);

// The style a control paints with when it names one by its `style` property and otherwise uses
// `fallback`; a `style` that names no style gives null (nothing is drawn).
Style* styleOrDefault(const Control& control, const wchar_t* fallback);
// As styleOrDefault, but a `style` that names no style also falls back.
Style* existingStyleOr(const Control& control, const wchar_t* fallback);
// Draws the style, if any, for the control.
void paintWith(Style* style, DeviceContext dc, const Rect& rect, Control* control);

// --- drawing steps ---

// The background-skin composite: nine-slice with `grid` when there is one, stretched otherwise.
// Nothing for a null image.
void drawSkin(DeviceContext dc, const SkinImage* image, const Rect& rect, const Rect* grid);
// The image of `style`'s property `imageKey`, nine-sliced with its grid property `gridKey` when
// the style has one. Skipped when the property is absent or names no image.
void drawSkin(DeviceContext dc, const Object& style, PropertyKey imageKey, const Rect& rect,
              PropertyKey gridKey = PropertyKey::scaleGrid);

// The focus cue of buttons and text fields: the style's `focusSkin` over the rectangle, nine-sliced
// with its `scaleGrid` when it has one, while the control shows the cue. Nothing otherwise.
void drawFocusSkin(DeviceContext dc, const Object& style, const Control* control, const Rect& rect);

// The caption step: `text` in the control's font and the style's `textColor` (`defaultColour`
// without one), moved by (+1, +1) while the control is pressed when `downOffset` is exactly 1.
void drawCaption(DeviceContext dc, const Object& style, const Control& control, const std::wstring& text, Rect rect,
                 uint32_t format, int32_t defaultColour);

// Icon and caption of the icon buttons: `icon` (null: none) and `text` (null: no caption) placed
// by the style's `textPlacement` and `iconGap`, then the caption step.
void drawIconAndCaption(DeviceContext dc, const Object& style, const Control& control, const Rect& rect,
                        const SkinImage* icon, const std::wstring* text, int32_t defaultColour);

} // namespace skin
