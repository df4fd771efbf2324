// Tab items in a strip along the top or left edge, over the selected item's page.
#pragma once

#include <HeldControl.h>
#include <Panel.h>

class TabItem;

// The children are the tabs; each TabItem's page is laid out, painted and hit-tested here, linked
// to this panel as its parent but kept out of the child list. Children that are not tab items,
// and tab items without a page, are passed over wherever a page is needed. Exactly one tab is
// selected (the first tab item on the first arrange); `tabHeight` is the strip's thickness and
// `tabPlacement` top (the default) or left; any other placement lays nothing out.
class TabControl : public Panel {
public:
    static constexpr uint64_t kInitialFlags = Panel::kInitialFlags;
    static constexpr int32_t kSlideFrames = 10;
    static constexpr int32_t kSlideFrameMs = 10;

    TabControl();
    // Drops the pages' links before the tabs (and with them the pages) are deleted.
    ~TabControl() override;

    // The own style in the strip only, then the tabs, then the selected page.
    void paint(DeviceContext dc, const Rect& windowRect, const Rect& clip) override;
    // Tabs in the strip, the selected page below (or beside) it.
    Control* hitTest(Point point) override;
    Size measureOverride(Size available) override;
    Size arrangeOverride(Size finalSize) override;
    // A tab list to screen readers, id or not; its selected page comes after the tabs.
    ControlKind kind() const override;
    Control* unlistedPage() const override;

    // Makes `item` (a tab of this control) the selected one: the old tab is unchecked and hears
    // ValueChange, the new one is checked, the tab control hears ValueChange, and along a top
    // strip the new page slides in. Nothing for the selected tab or for anything else.
    void select(TabItem* item);
    // The selected tab while it is still one of the tabs, else null.
    TabItem* selectedItem() const;

    // Called by a tab on being attached and detached: its page joins this control's window with
    // this control as its parent, and leaves it again.
    void attachPage(TabItem* item);
    void detachPage(TabItem* item);

    int32_t tabExtent = 0;   // the strip's thickness (`tabHeight`)
    Rect headerRect;         // the strip, in this control's coordinates
    Rect contentRect;        // the page area, in this control's coordinates

private:
    enum class Placement { top, left, none };
    Placement placement() const;
    // The child as one of the tabs (a TabItem by its type mark), else null.
    TabItem* asTab(Control* child) const;
    int32_t indexOf(const Control* child) const;
    void slideIn(Control* page, bool fromRight);

    HeldControl selected_;   // the selected tab; checked against the children before use
};
