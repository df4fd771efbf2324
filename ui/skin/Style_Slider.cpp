// Style_Slider: the far half of the track, the near half up to the thumb's centre, then the thumb.
#include "Style_Slider.h"

#include "ControlState.h"
#include "SkinImage.h"
#include "SkinPainter.h"
#include "SliderParts.h"

#include <Control.h>

void Style_Slider::draw(DeviceContext dc, const Rect& rect, Control* control)
{
    const auto* parts = dynamic_cast<const SliderParts*>(control);
    if (!parts)
        return;
    const SkinImage* thumbUp = skin::imageOf(*this, PropertyKey::thumbUpSkin);
    const Size thumbSize = thumbUp ? Size{thumbUp->width, thumbUp->height} : Size{};
    const Rect thumb = parts->thumbRect(thumbSize).offset(rect.left, rect.top);
    const Rect grid = rectProperties.value(PropertyKey::scaleGrid, Rect{});
    const SkinImage* bar = skin::imageOf(*this, PropertyKey::barSkin);
    const SkinImage* track = skin::imageOf(*this, PropertyKey::trackSkin);

    // The halves run along the slider's axis; a vertical slider is the horizontal layout turned,
    // with the start at the top.
    const bool vertical =
        control->intProperties.value(PropertyKey::orientation, 0) == keywordValue(PropertyKey::vertical);
    if (!vertical) {
        const int32_t cx = (thumb.left + thumb.right) / 2;
        if (bar) {
            const int32_t top = (rect.top + rect.bottom - bar->height) / 2;
            bar->drawNineSlice(dc, {cx, top, rect.right, top + bar->height}, grid);
        }
        if (track) {
            const int32_t top = (rect.top + rect.bottom - track->height) / 2;
            track->drawNineSlice(dc, {rect.left, top, cx, top + track->height}, grid);
        }
    } else {
        const int32_t cy = (thumb.top + thumb.bottom) / 2;
        if (bar) {
            const int32_t left = (rect.left + rect.right - bar->width) / 2;
            bar->drawNineSlice(dc, {left, cy, left + bar->width, rect.bottom}, grid);
        }
        if (track) {
            const int32_t left = (rect.left + rect.right - track->width) / 2;
            track->drawNineSlice(dc, {left, rect.top, left + track->width, cy}, grid);
        }
    }

    // the checked bit of a slider means "the pointer is over the thumb"; enabled is not consulted
    const ControlState state = ControlState::of(control);
    PropertyKey thumbSkin = state.pressed ? PropertyKey::thumbDownSkin
                                     : state.checked ? PropertyKey::thumbOverSkin : PropertyKey::thumbUpSkin;
    skin::drawSkin(dc, skin::imageOf(*this, thumbSkin), thumb, nullptr);
}
