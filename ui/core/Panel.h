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

    Control* firstChild = nullptr;   // owned, as is every sibling after it
    Control* lastChild = nullptr;
    int32_t childCount = 0;
    // Bumped by every addChild and removeChild, so that a walk over the children can tell whether
    // a handler it called has changed the list under it.
    uint32_t childListChanges = 0;

protected:
    explicit Panel(uint64_t initialFlags);
};
