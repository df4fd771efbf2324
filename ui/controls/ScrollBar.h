// A scroll bar with arrows, track and thumb: reports what the user asks for, moves when told.
#pragma once

#include <Control.h>
#include <ScrollBarParts.h>
#include <Timer.h>

// The bar never moves itself: presses, repeats and thumb drags become Notify events (32, direct,
// to the bar; wparam one of the NotifyCode values, lparam the dragged-to position for thumbDrag),
// and whoever owns the bar answers them by calling EnsurePosition. Its scroll panel creates and
// deletes it with every arrange.
class ScrollBar : public Control, public ScrollBarParts {
public:
    static constexpr uint64_t kInitialFlags = Control::kInitialFlags | Flag::repaintOnInteraction | Flag::captureOnPress;
    static constexpr int32_t kRepeatInterval = 100;   // milliseconds between repeated arrow and page actions

    enum NotifyCode : int32_t { lineUp = 2, lineDown = 3, pageUp = 4, pageDown = 5, thumbDrag = 6 };

    ScrollBar();
    ControlKind kind() const override;
    // The style named by `style` when it exists, "vscrollbar.xml" otherwise (both orientations).
    void paint(DeviceContext dc, const Rect& windowRect, const Rect& clip) override;
    // Places the arrows at the ends, each at the size of its style image (none without one).
    Size arrangeOverride(Size finalSize) override;

    // Enables the bar exactly while there is something to scroll (page < range), limits p to
    // 0 … range − page and, when that changes the position, has the parent scroll panel move its
    // content. Nothing but a debug message for a bar that is not attached to a window.
    void EnsurePosition(int32_t p);

    // The part at a point in the bar's own coordinates: one of the pressed-part bits, or 0.
    int32_t hitPart(Point local) const;

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
    int32_t grabOffset = 0; // thumb start minus pointer, along the bar, while the thumb is held

private:
    class ScrollTimer final : public Timer {
    public:
        explicit ScrollTimer(ScrollBar& bar) : bar_(bar) { interval = kRepeatInterval; }
        void tick() override;

    private:
        ScrollBar& bar_;   // the owner
    };

    static constexpr int32_t kPressedParts =
        kUpArrowPressed | kDownArrowPressed | kThumbPressed | kPageUpPressed | kPageDownPressed;

    static void onLButtonDown(void* target, Control* control, ControlEvent* event);
    static void onMouseMove(void* target, Control* control, ControlEvent* event);
    static void onLostCapture(void* target, Control* control, ControlEvent* event);
    static void onMouseLeave(void* target, Control* control, ControlEvent* event);

    // The pointer of a mouse event (client coordinates in lparam) in the bar's coordinates.
    bool localPoint(const ControlEvent& event, Point& out) const;
    // The repeated action of the pressed part; may delete the bar.
    void repeat();
    void notify(int32_t code, int64_t value);
    int32_t along(Point p) const { return vertical ? p.y : p.x; }

    ScrollTimer repeatTimer_{*this};
};
