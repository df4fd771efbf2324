// A vertically scrolling list of equal-height items with one selected item.
#pragma once

#include "ScrollPanel.h"

#include <HeldControl.h>

#include <string>

class ListItem;
class StackPanel;

// The items are the children of the content, a StackPanel made at construction. The arrow keys
// move the selection (keeping it in view, silently); a click on an item (press and release on
// it) selects it and sends Notify (32, direct) to the list box, also when it was selected
// already. Scrolling steps by `itemHeight`; without a positive one, by the first item's height,
// with no snapping to whole items.
class ListBox : public ScrollPanel, public ItemList {
public:
    static constexpr uint64_t kInitialFlags = Panel::kInitialFlags;
    static constexpr wchar_t kItemStyle[] = L"listitem.xml";

    ListBox();
    // A Tab stop (its items are its own business) and a list to screen readers, id or not.
    ControlKind kind() const override;
    void appendItem(const std::wstring& text) override { addItem(text); }

    // Each bar it makes moves the list by lines, pages and thumb drags.
    ScrollBar* createScrollBar(bool vertical) override;

    // Appends an item with the text, the style and the list's itemHeight, and lays the list out
    // again when it has been laid out before.
    ListItem* addItem(const std::wstring& text, const std::wstring& style = kItemStyle);
    StackPanel* itemPanel() const { return items_; }
    int32_t itemCount() const;
    // The selected item while it is still one of the items, else null.
    ListItem* selectedItem() const;
    // Its text; empty without a selection or without text.
    std::wstring selectedText() const;
    // Moves the checked bit and the selection to `item` (one of the items, or null for none) and
    // scrolls it into view; with `notify`, sends Notify to the list box afterwards.
    void select(ListItem* item, bool notify);
    // Scrolls the least that shows the item whole, keeping whole rows in view.
    void scrollIntoView(const Control* item);
    int32_t itemHeight() const;

private:
    static void onPrevLButtonDown(void* target, Control* control, ControlEvent* event);
    static void onMouseWheel(void* target, Control* control, ControlEvent* event);
    static void onKeyDown(void* target, Control* control, ControlEvent* event);
    static void onLButtonUp(void* target, Control* control, ControlEvent* event);
    static void onBarNotify(void* target, Control* control, ControlEvent* event);

    // The control as one of the items, else null.
    ListItem* asItem(Control* control) const;
    // The scroll step for a line: itemHeight, else the first item's height, at least 1.
    int32_t lineStep() const;
    void scrollBy(int32_t delta);
    void moveSelection(bool down);

    StackPanel* items_ = nullptr;           // not owned: the first child
    HeldControl selected_;   // checked against the items before use
    HeldControl pressed_;    // the item a left press went to
};
