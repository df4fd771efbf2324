// A choice from a drop-down list in a popup window.
#pragma once

#include <Control.h>

#include <string>

class ComboHelperWnd;

// Shows its `text`; a press drops down the list of items in a popup window of its own, below the
// box or, near the bottom of the screen, above it, and waits until the popup closes. Choosing an
// item copies its text here (ValueChange when that changes the text).
class ComboBox : public Control, public ItemList {
public:
    static constexpr uint64_t kInitialFlags = Control::kInitialFlags | Flag::repaintOnInteraction | Flag::pressClearsFocus;
    static constexpr int32_t kItemHeight = 24;
    static constexpr int32_t kVisibleItems = 6;     // the most the popup shows without scrolling
    static constexpr int32_t kMaxPopupHeight = 148;
    static constexpr int32_t kPopupPadding = 4;     // the list's margins, top and bottom together

    ComboBox();
    // Closes the popup, which then destroys itself.
    ~ComboBox() override;
    // The style named by `style` when it exists, "combobox.xml" otherwise.
    void paint(DeviceContext dc, const Rect& windowRect, const Rect& clip) override;
    // A Tab stop; its value is its text.
    ControlKind kind() const override;
    bool accessibleValue(std::wstring& out) const override;
    void appendItem(const std::wstring& text) override { addItem(text); }

    // Appends an item to the drop-down list; false when there is no popup to hold it.
    bool addItem(const std::wstring& text);
    int32_t itemCount() const;
    // Drops the list down at the box and runs the popup until it closes; the box may be gone
    // when this returns.
    void open();
    // Sets the text; a change is repainted and announced with ValueChange (31, direct).
    void setChosenText(const std::wstring& text);

    // The popup, made with the box and remade when something else destroyed it; null when no
    // window could be made. Not owned: it deletes itself with its window.
    ComboHelperWnd* popup() const { return popup_; }

private:
    friend class ComboHelperWnd;   // forgets itself here when its window goes
    ComboHelperWnd* ensurePopup();
    static void onLButtonDown(void* target, Control* control, ControlEvent* event);

    ComboHelperWnd* popup_ = nullptr;
};
