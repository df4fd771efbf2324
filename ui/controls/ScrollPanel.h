// A panel that shows one content control through a viewport, with the scroll bars it needs.
#pragma once

#include <Panel.h>

class ScrollBar;

// The content is the first child. The bars are children too, made and deleted by every arrange
// (positions carried over), so a pointer to one is good only until the next layout. Modes come
// from `scrollvertical` and `scrollhorizontal` (keywords auto, always, never; set in code only):
// auto and never by default.
class ScrollPanel : public Panel {
public:
    static constexpr uint64_t kInitialFlags = Panel::kInitialFlags;
    static constexpr int32_t kDefaultThickness = 17;   // a bar without its style image

    ScrollPanel();

    // Reports nothing: the panel's size comes from its layout properties.
    Size measureOverride(Size available) override;
    // Decides the bars again, places them and the content, and restores the positions.
    Size arrangeOverride(Size finalSize) override;

    // Scrolls the content to p along one axis (limited by that bar); nothing without that bar or
    // without content.
    void scrollTo(bool vertical, int32_t p);

    // The content: the first child unless that is one of the bars. Null without one.
    Control* content() const;
    ScrollBar* verticalBar() const { return verticalBar_; }
    ScrollBar* horizontalBar() const { return horizontalBar_; }
    // The content's arranged rectangle before scrolling.
    Rect contentRect() const { return contentRect_; }

    // Makes a bar for the panel (not yet a child); a list box hooks its own handlers in here.
    virtual ScrollBar* createScrollBar(bool vertical);
    // The width of the vertical bar and the height of the horizontal one, from their styles.
    virtual int32_t verticalBarThickness() const;
    virtual int32_t horizontalBarThickness() const;

protected:
    explicit ScrollPanel(uint64_t initialFlags);

private:
    void removeBars();
    // Measures the content for the final size and makes the bars that are needed.
    void decideBars(Size finalSize);
    ScrollBar* addBar(bool vertical);

    ScrollBar* verticalBar_ = nullptr;     // not owned: a child while it exists
    ScrollBar* horizontalBar_ = nullptr;   // not owned: a child while it exists
    bool needVertical_ = false;
    bool needHorizontal_ = false;
    Rect contentRect_;
    Size extent_;                          // the content's slot: what the bars scroll over
};
