// A scroll bar with arrows, track and thumb.
#pragma once

#include <Control.h>
#include <ScrollBarParts.h>

class ScrollBar : public Control, public ScrollBarParts {
public:
    static constexpr uint64_t kInitialFlags = Control::kInitialFlags | Flag::repaintOnInteraction | Flag::captureOnPress;

    ScrollBar();
    // The style named by `style` when it exists, "vscrollbar.xml" otherwise (both orientations).
    void paint(DeviceContext dc, const Rect& windowRect, const Rect& clip) override;

    // --- what the skin reads ---
    int32_t partState() const override { return partBits; }
    Rect upArrowRect() const override { return upArrow; }
    Rect downArrowRect() const override { return downArrow; }
    // The thumb between the arrows: at least 20 pixels long, placed by position within
    // range − page. Empty while there is nothing to scroll (page ≥ range).
    Rect thumbRect() const override;

    int32_t range = 0;      // total extent of the content in pixels
    int32_t position = 0;   // 0 … range − page
    int32_t page = 0;       // the visible extent
    bool vertical = true;
    Rect upArrow;           // control coordinates
    Rect downArrow;
    int32_t partBits = 0;   // the part pressed and the part under the pointer (ScrollBarParts bits)
};
