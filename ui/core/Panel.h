// A control with an owned child list: z-ordered children, clipped painting and top-first hit testing.
#pragma once

#include "Control.h"

class Panel : public Control {
public:
    static constexpr uint64_t kInitialFlags = Control::kInitialFlags | Flag::container;

    Panel();
    // Deletes the children, last first.
    ~Panel() override;

    // Appends `control` (the topmost in z-order) and attaches it when this panel is attached.
    // False, changing nothing, for a null control, one that already has a parent, or this panel
    // or one of its ancestors.
    bool addChild(Control* control);
    // Detaches and unlinks a child; the caller owns it afterwards. False when it is not a child.
    bool removeChild(Control* control);
    // Null past the end; a negative index gives the first child.
    Control* childAt(int32_t index) const;

    // Own style first, then each visible child clipped to its rectangle, first child at the bottom.
    void paint(DeviceContext dc, const Rect& windowRect, const Rect& clip) override;
    // The topmost child hit, else the panel itself; nothing when the panel is not hit.
    Control* hitTest(Point point) override;
    const wchar_t* className() const override;
    // A panel with an id is a page a script switches; a layout panel without one is not shown to
    // screen readers, its children take its place.
    ControlKind kind() const override;

    Control* firstChild() const { return firstChild_; }
    Control* lastChild() const { return lastChild_; }
    int32_t childCount() const { return childCount_; }
    // Bumped by every addChild and removeChild, so that a walk over the children can tell whether
    // a handler it called has changed the list under it.
    uint32_t childListChanges() const { return childListChanges_; }

protected:
    explicit Panel(uint64_t initialFlags);

    // For panels that lay out, paint and hit-test controls kept outside their child list (a tab
    // control's pages): the control's parent link points here, so coordinates and events go
    // through this panel, but no child walk sees it. False when the control has a parent already.
    bool linkUnlisted(Control* control);
    // Drops that link again; nothing for a control linked otherwise.
    void unlinkUnlisted(Control* control);

private:
    friend class Control;   // a child deleted while linked unlinks itself
    // Takes a child out of the list, without detaching it; only drops the link of an unlisted one.
    void unlinkChild(Control* control);

    Control* firstChild_ = nullptr;   // owned, as is every sibling after it
    Control* lastChild_ = nullptr;
    int32_t childCount_ = 0;
    uint32_t childListChanges_ = 0;
};
