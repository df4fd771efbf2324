// ProgressBar: range and position, and the fill revealed by a clip inside the control's own.
#include "ProgressBar.h"

#include <ControlHost.h>
#include <SkinPainter.h>

#include <platform/Gdi.h>

#include <algorithm>

ProgressBar::ProgressBar() : Control(kInitialFlags) {}

const wchar_t* ProgressBar::className() const
{
    return L"ProgressBar";
}

void ProgressBar::setRange(int32_t range)
{
    range_ = range;
    announce(ControlChange::value);
    invalidate(false);
}

void ProgressBar::setPosition(int32_t position)
{
    position_ = std::min(position, range_);
    announce(ControlChange::value);
    invalidate(false);
}

int32_t ProgressBar::fillWidth(int32_t width, int32_t position, int32_t range)
{
    if (width <= 0 || position <= 0 || range <= 0)
        return 0;
    return int32_t(std::min<int64_t>(width, int64_t(width) * position / range));
}

void ProgressBar::paint(DeviceContext dc, const Rect& windowRect, const Rect&)
{
    skin::drawSkin(dc, skin::imageOf(*this, PropertyKey::progressbkimg), windowRect,
                   rectProperties.get(PropertyKey::progressbkScaleGrid));

    const Rect margin = rectProperties.value(PropertyKey::progressmargin, Rect{});
    const Rect fill{windowRect.left + margin.left, windowRect.top + margin.top, windowRect.right - margin.right,
                    windowRect.bottom - margin.bottom};
    const int32_t revealed = fillWidth(fill.width(), position_, range_);
    if (revealed <= 0 || fill.height() <= 0)
        return;
    // The fill keeps the geometry of the whole area and shows only its left part. The clip is
    // narrowed, never replaced: whatever hides part of the bar hides its fill too.
    platform::SavedDC saved(dc);
    IntersectClipRect(dc, fill.left, fill.top, fill.left + revealed, fill.bottom);
    skin::drawSkin(dc, skin::imageOf(*this, PropertyKey::progressimg), fill,
                   rectProperties.get(PropertyKey::progressScaleGrid));
}

ControlKind ProgressBar::kind() const
{
    return ControlKind::of(AccessRole::progressBar);
}

bool ProgressBar::accessibleValue(std::wstring& out) const
{
    const int64_t range = range_, position = position_;
    const int64_t percent = range > 0 && position > 0 ? position * 100 / range : 0;
    out = std::to_wstring(percent > 100 ? 100 : percent) + L"%";
    return true;
}
