// The one-line text box: typing, caret, mouse and Ctrl+A selection, horizontal scrolling and the clipboard.
#pragma once

#include "GdiCharWidths.h"
#include "MeasuringFont.h"
#include "SingleLineText.h"

#include <Control.h>
#include <platform/Gdi.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Always in the "Default" font (the stock GUI font when the skin has none); the `font` and `color`
// properties are not read. Every insertion and deletion sends ValueChange, and a ValueChange
// handler may take the text box away: each operation stops touching it once that has happened.
// UI thread only.
class TextBox : public Control, public OwnText {
public:
    static constexpr uint64_t kInitialFlags = Flag::enabled | Flag::visible | Flag::repaintOnInteraction | Flag::captureOnPress | Flag::focusOnPress | Flag::doubleClicks;
    // One capacity for typing, pasting and setText.
    static constexpr int32_t kCapacity = 2000;

    TextBox();
    ~TextBox() override;

    const wchar_t* className() const override;
    ControlKind kind() const override;
    bool accessibleValue(std::wstring& out) const override;
    // As in a dialog: reached by Tab, the text is selected, ready to be replaced.
    void reachedByTab() override;
    std::wstring ownText() const override { return text(); }
    void setOwnText(std::wstring_view text) override { setText(text); }
    void paint(DeviceContext dc, const Rect& windowRect, const Rect& clip) override;
    Size measureOverride(Size available) override;
    Size arrangeOverride(Size finalSize) override;

    // Replaces the text with as much of `text` as fits (kCapacity units, a surrogate pair kept
    // whole), control characters included. Nothing happens when that equals the current text;
    // otherwise anchor and caret go to the end, the view to the start (to the caret while the
    // text box has the focus), the box is repainted and ValueChange sent.
    void setText(std::wstring_view text);
    const std::wstring& text() const { return text_.chars(); }
    // Selects the whole text, the caret at its end (what Ctrl+A does).
    void selectAll();

    int32_t anchor() const { return anchor_; }
    int32_t caret() const { return caret_; }
    int32_t scrollX() const { return scrollX_; }
    int32_t textHeight() const { return textHeight_; }
    // Where a boundary of the text is drawn, relative to the control's left edge.
    int32_t xOfIndex(int32_t index);

private:
    static void onAttached(void* self, Control*, ControlEvent* event);
    static void onLButtonDown(void* self, Control*, ControlEvent* event);
    static void onMouseMove(void* self, Control*, ControlEvent* event);
    static void onKeyDown(void* self, Control*, ControlEvent* event);
    static void onKeyPress(void* self, Control*, ControlEvent* event);
    static void onGotFocus(void* self, Control*, ControlEvent* event);
    static void onLostFocus(void* self, Control*, ControlEvent* event);
    static void onQueryCursor(void* self, Control*, ControlEvent* event);
    static void onDoubleClick(void* self, Control*, ControlEvent* event);

    // Its own copy of the "Default" font and the text height.
    void loadFont();
    void keyDown(uint32_t key);
    void typeCharacter(wchar_t c);
    // The pointer's x of a mouse event, relative to the control.
    int32_t pointerX(const ControlEvent& event) const;

    // The editing steps. Each returns false when a ValueChange handler took the box away.
    bool insertAt(int32_t index, std::wstring_view chars, int32_t& inserted);
    bool deleteRange(int32_t from, int32_t to);
    bool deleteSelection();
    bool sendValueChange();

    void copySelection();
    void cutSelection();
    void paste();

    bool hasFocus() const;
    // Scrolls the caret into view and shows the window's caret there, while the box has the focus;
    // the caller repaints.
    void placeCaret();
    static void placeCaretLater(void*, void* held, void*);
    void repaint();

    SingleLineText text_{kCapacity};
    int32_t padX_ = 0;
    int32_t padY_ = 0;
    int32_t scrollX_ = 0;
    int32_t anchor_ = 0;
    int32_t caret_ = 0;
    int32_t textHeight_ = 0;
    int32_t width_ = 0;    // the size last given by arrange
    int32_t height_ = 0;
    // The first half of a pair typed as two characters, kept until its second half comes, so
    // that a full box never takes half a character.
    wchar_t pendingHighSurrogate_ = 0;

    MeasuringFont font_;
    GdiCharWidths widths_;   // measures in the font's DC
};
