// A bar that reveals a fill image over a background image as its position nears its range.
#pragma once

#include <Control.h>

#include <cstdint>

// Painted from its own image properties (progressbkimg, progressbkScaleGrid, progressmargin,
// progressimg, progressScaleGrid); no skin style, no interaction.
class ProgressBar : public Control, public FillLevel {
public:
    static constexpr uint64_t kInitialFlags = Control::kInitialFlags | Flag::mouseTransparent;

    ProgressBar();
    const wchar_t* className() const override;
    // Its value is the percentage done.
    ControlKind kind() const override;
    bool accessibleValue(std::wstring& out) const override;
    void setFillRange(int32_t range) override { setRange(range); }
    void setFillPosition(int32_t position) override { setPosition(position); }
    // The background over the whole bar, then the fill image over the fill area, revealed from the
    // left for position / range of its width. Never more than the fill area, also when the range
    // was lowered below the position; nothing for a range or position of 0 or less.
    void paint(DeviceContext dc, const Rect& windowRect, const Rect& clip) override;

    // The position that means full; the position is left as it is. Repaints.
    void setRange(int32_t range);
    // Limited to the range from above only. Repaints.
    void setPosition(int32_t position);
    int32_t range() const { return range_; }
    int32_t position() const { return position_; }

    // The revealed width of a fill area `width` pixels wide, in 64-bit arithmetic.
    static int32_t fillWidth(int32_t width, int32_t position, int32_t range);

private:
    int32_t range_ = 1;
    int32_t position_ = 0;
};
