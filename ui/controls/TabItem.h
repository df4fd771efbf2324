// The header of one tab page: selected by a press, never clicked.
#pragma once

#include "Button.h"

class TabItem : public Button {
public:
    static constexpr uint64_t kInitialFlags = (Button::kInitialFlags & ~Flag::captureOnPress) | Flag::tabItemMark;

    TabItem();
    // Deletes the page with the item.
    ~TabItem() override;
    // Space and Enter select it at once, as a press does.
    ControlKind kind() const override;
    void selectByKey() override;

    // Owned: the page the tab control shows while this item is selected. It is not in the tree's
    // child lists, so nothing else deletes it. Null until set.
    Control* content = nullptr;

private:
    // A press asks the tab control to select this tab (handled, selected or not); attaching and
    // detaching take the page along. A tab outside a tab control does neither.
    static void onLButtonDown(void* target, Control* control, ControlEvent* event);
    static void onAttached(void* target, Control* control, ControlEvent* event);
    static void onDetached(void* target, Control* control, ControlEvent* event);
};
