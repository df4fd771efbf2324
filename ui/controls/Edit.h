// The multi-line text editor: a character-wrapped text with caret, mouse selection, keys, clipboard and scrolling.
#pragma once

#include "GdiCharWidths.h"
#include "MeasuringFont.h"
#include "TextStore.h"

#include <Control.h>
#include <platform/Gdi.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Reads its properties (textspace, textpadding, texteditable, color, font, text) when attached;
// `style` at every paint. UI thread only.
class Edit : public Control, public OwnText {
public:
    static constexpr uint64_t kInitialFlags = Flag::enabled | Flag::visible | Flag::repaintOnInteraction | Flag::captureOnPress | Flag::focusOnPress;
    // A tab is drawn as this many spaces (caret and selection use the tab's own width).
    static constexpr int kTabSpaces = 4;

    Edit();
    ~Edit() override;

    const wchar_t* className() const override;
    ControlKind kind() const override;
    bool accessibleValue(std::wstring& out) const override;
    std::wstring ownText() const override { return getText(); }
    void setOwnText(std::wstring_view text) override { setText(text); }
    void paint(DeviceContext dc, const Rect& windowRect, const Rect& clip) override;
    Size arrangeOverride(Size finalSize) override;

    // Replaces the text and repaints. The caret and the selection's anchor stay where they were,
    // moved back into the text when it became shorter; so does the scroll position. False,
    // changing nothing, for a text longer than BlockTable::kMaxLength.
    bool setText(std::wstring_view text);
    std::wstring getText() const { return store_.getText(); }

    const TextStore& store() const { return store_; }
    int32_t anchor() const { return anchor_; }
    int32_t caret() const { return caret_; }
    int32_t firstVisibleLine() const { return firstVisibleLine_; }
    int32_t lineHeight() const { return lineHeight_; }
    bool editable() const { return editable_; }
    // Whole lines that fit between the paddings; at least 1.
    int32_t visibleLines() const;
    // Where an index shows, relative to the control.
    Point pointOfIndex(int32_t index) const;
    // The index nearest to a point relative to the control.
    int32_t indexAtPoint(Point point) const;

private:
    static void onAttached(void* self, Control*, ControlEvent* event);
    static void onLButtonDown(void* self, Control*, ControlEvent* event);
    static void onMouseMove(void* self, Control*, ControlEvent* event);
    static void onMouseWheel(void* self, Control*, ControlEvent* event);
    static void onKeyDown(void* self, Control*, ControlEvent* event);
    static void onKeyPress(void* self, Control*, ControlEvent* event);
    static void onGotFocus(void* self, Control*, ControlEvent* event);
    static void onLostFocus(void* self, Control*, ControlEvent* event);
    static void onQueryCursor(void* self, Control*, ControlEvent* event);

    void attached();
    // The edit's copy of the named font ("Default", then the stock GUI font when missing),
    // selected into the measuring DC; then the metrics. The text must be wrapped again after.
    void loadFont(const std::wstring& name);
    void keyDown(uint32_t key);
    void typeCharacter(wchar_t c);

    // The bottom of the last whole visible line, relative to the control.
    int32_t visibleBottom() const;
    void scrollClamp();
    // Moves firstVisibleLine to `line` (clamped by scrollClamp) and repaints when it changed.
    void scrollTo(int32_t line);
    bool ensureCaretVisible();
    void placeCaret();
    void moveCaret(int32_t index);
    // The caret's x from the text's left edge, which vertical movement aims for.
    void rememberCaretX();
    // Deletes [min, max) of the selection and collapses it there; false when it is empty.
    bool deleteSelection();
    // Inserts at the caret (after the selection is gone) and moves caret and anchor behind.
    void insertAtCaret(const wchar_t* chars, int32_t count);
    void repaint();
    // Repaints the band of lines between the lines of two indices.
    void repaintLines(int32_t a, int32_t b);

    bool copySelection();
    void cutSelection();
    void paste();

    // Draws one line at `top` (device-context coordinates) in `colour`, tabs expanded.
    void drawLine(DeviceContext dc, const LineRecord* line, const Rect& textRect, COLORREF colour);

    int32_t padX_ = 5;
    int32_t padY_ = 5;
    bool editable_ = true;
    int32_t lineSpacing_ = 0;
    int32_t lineHeight_ = 1;
    int32_t averageCharWidth_ = 1;
    int32_t clientWidth_ = 0;
    int32_t clientHeight_ = 0;
    COLORREF textColour_ = MeasuringFont::kTextColour;
    int32_t firstVisibleLine_ = 0;
    int32_t desiredX_ = 0;
    int32_t anchor_ = 0;
    int32_t caret_ = 0;

    MeasuringFont font_;
    GdiCharWidths widths_;   // measures in the font's DC
    TextStore store_;
    std::wstring lineScratch_;   // one line's characters while painting
    std::wstring tabScratch_;    // the same with tabs expanded
};
