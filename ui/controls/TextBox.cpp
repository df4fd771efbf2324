// TextBox: one line of text with caret, selection, horizontal scrolling, keys, mouse and the clipboard.
#include "TextBox.h"

#include "ClipboardText.h"

#include <ControlHost.h>
#include <HeldControl.h>
#include <SkinPainter.h>
#include <TextDrawing.h>
#include <Toolkit.h>

#include <windows.h>

#include <algorithm>
#include <memory>

namespace {

constexpr int32_t kPadX = 8, kPadY = 5;

// Ctrl alone: AltGr arrives as Ctrl+Alt, and AltGr+A must type its character, not select all.
bool ctrlShortcut()
{
    return (GetKeyState(VK_CONTROL) & 0x8000) && !(GetKeyState(VK_MENU) & 0x8000);
}

bool isHighSurrogate(wchar_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}

bool isLowSurrogate(wchar_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

} // namespace

TextBox::TextBox() : Control(kInitialFlags)
{
    loadFont();
    addHandler(EventCode::Attached, this, onAttached);
    addHandler(EventCode::LButtonDown, this, onLButtonDown);
    addHandler(EventCode::MouseMove, this, onMouseMove);
    addHandler(EventCode::KeyDown, this, onKeyDown);
    addHandler(EventCode::KeyPress, this, onKeyPress);
    addHandler(EventCode::GotFocus, this, onGotFocus);
    addHandler(EventCode::LostFocus, this, onLostFocus);
    addHandler(EventCode::QueryCursor, this, onQueryCursor);
    addHandler(EventCode::LButtonDbClick, this, onDoubleClick);
}

TextBox::~TextBox() = default;

const wchar_t* TextBox::className() const
{
    return L"TextBox";
}

void TextBox::loadFont()
{
    font_.load(L"Default");
    widths_.setDC(font_.dc());
    TEXTMETRICW metrics{};
    if (font_.metrics(metrics))
        textHeight_ = metrics.tmAscent + metrics.tmDescent;
}

// --- layout and painting ---

Size TextBox::measureOverride(Size)
{
    return {0, textHeight_ + 2 * padY_};
}

Size TextBox::arrangeOverride(Size finalSize)
{
    width_ = finalSize.width;
    height_ = finalSize.height;
    // The rectangle is set once arrange returns: the caret follows from the message loop.
    if (hasFocus()) {
        auto* held = new HeldControl(this);
        if (!postDeferred(this, placeCaretLater, held, nullptr))
            delete held;
    }
    return finalSize;
}

void TextBox::placeCaretLater(void*, void* held, void*)
{
    std::unique_ptr<HeldControl> box(static_cast<HeldControl*>(held));
    if (auto* still = static_cast<TextBox*>(box->get())) {
        still->placeCaret();
        still->repaint();
    }
}

void TextBox::paint(DeviceContext dc, const Rect& windowRect, const Rect& clip)
{
    Control::paint(dc, windowRect, clip);
    const Rect inner{windowRect.left + padX_, windowRect.top + padY_, windowRect.right - padX_,
                     windowRect.bottom - padY_};
    const Rect visible = intersect(inner, clip);
    if (visible.isEmpty())
        return;

    // the whole line, scrolled; the selection is the same text again, clipped to its band
    RECT line{inner.left - scrollX_, inner.top, inner.right, inner.bottom};
    const std::wstring& chars = text_.chars();
    platform::SavedDC saved(dc);
    IntersectClipRect(dc, visible.left, visible.top, visible.right, visible.bottom);
    SetBkMode(dc, TRANSPARENT);
    platform::SelectScope font(dc, font_.font());
    SetTextColor(dc, MeasuringFont::kTextColour);
    DrawTextW(dc, chars.c_str(), int(chars.size()), &line, TextFormat::textBoxLine);

    if (anchor_ == caret_)
        return;
    const int32_t from = inner.left + text_.widthTo(std::min(anchor_, caret_), widths_) - scrollX_;
    const int32_t to = inner.left + text_.widthTo(std::max(anchor_, caret_), widths_) - scrollX_;
    RECT band{std::clamp(from, inner.left, inner.right), inner.top, std::clamp(to, inner.left, inner.right),
              inner.bottom};
    if (band.right <= band.left)
        return;
    IntersectClipRect(dc, band.left, band.top, band.right, band.bottom);
    FillRect(dc, &band, font_.selectionBrush());
    SetTextColor(dc, MeasuringFont::kSelectedTextColour);
    line = {inner.left - scrollX_, inner.top, inner.right, inner.bottom};
    DrawTextW(dc, chars.c_str(), int(chars.size()), &line, TextFormat::textBoxLine);
}

int32_t TextBox::xOfIndex(int32_t index)
{
    return padX_ + text_.widthTo(index, widths_) - scrollX_;
}

void TextBox::repaint()
{
    invalidate(false);
}

bool TextBox::hasFocus() const
{
    return window() && window()->focusedControl() == this;
}

void TextBox::placeCaret()
{
    if (!hasFocus())
        return;
    const int32_t x = text_.widthTo(caret_, widths_);
    const int32_t available = width_ - 2 * padX_;
    if (x > scrollX_ + available)
        scrollX_ = x - available;
    else if (x < scrollX_)
        scrollX_ = x;
    scrollX_ = std::max(scrollX_, 0);
    Point origin;
    if (absolutePosition(origin))
        window()->showCaret(origin.x + padX_ + x - scrollX_, origin.y + padY_);
}

// --- editing ---

bool TextBox::sendValueChange()
{
    const HeldControl mine(this);
    announce(ControlChange::value);
    send(EventCode::ValueChange);
    return mine.get() != nullptr;
}

bool TextBox::insertAt(int32_t index, std::wstring_view chars, int32_t& inserted)
{
    inserted = text_.insert(index, chars);
    return sendValueChange();
}

bool TextBox::deleteRange(int32_t from, int32_t to)
{
    const int32_t a = text_.boundary(std::min(from, to)), b = text_.boundary(std::max(from, to));
    const int32_t before = text_.widthTo(b, widths_);
    text_.erase(a, b);
    scrollX_ = std::max(0, scrollX_ + text_.widthTo(a, widths_) - before);
    return sendValueChange();
}

bool TextBox::deleteSelection()
{
    if (anchor_ == caret_)
        return true;
    const int32_t start = std::min(anchor_, caret_), end = std::max(anchor_, caret_);
    anchor_ = caret_ = start;
    return deleteRange(start, end);
}

void TextBox::selectAll()
{
    anchor_ = 0;
    caret_ = text_.length();
    placeCaret();
    repaint();
}

void TextBox::setText(std::wstring_view text)
{
    const std::wstring_view kept = SingleLineText::fitting(text, kCapacity);
    if (kept == std::wstring_view(text_.chars()))
        return;
    text_.assign(kept);
    pendingHighSurrogate_ = 0;
    scrollX_ = 0;
    anchor_ = caret_ = text_.length();
    // A focused box shows its caret where it now is; the text's start is shown otherwise.
    placeCaret();
    repaint();
    sendValueChange();
}

void TextBox::typeCharacter(wchar_t c)
{
    // a pair typed as two characters goes in as one, or not at all
    wchar_t pair[2] = {c, 0};
    size_t count = 1;
    if (isHighSurrogate(c)) {
        pendingHighSurrogate_ = c;
        return;
    }
    if (isLowSurrogate(c)) {
        if (!pendingHighSurrogate_)
            return;   // half a character: nothing to insert
        pair[0] = pendingHighSurrogate_;
        pair[1] = c;
        count = 2;
    }
    pendingHighSurrogate_ = 0;
    if (!deleteSelection())
        return;
    int32_t inserted = 0;
    const int32_t at = std::min(anchor_, caret_);
    if (!insertAt(at, std::wstring_view(pair, count), inserted))
        return;
    anchor_ = caret_ = at + inserted;
    placeCaret();
    repaint();
}

void TextBox::keyDown(uint32_t key)
{
    const bool ctrl = ctrlShortcut();
    // A key that moves the caret or edits ends a half-typed pair; others (the packet key that
    // carries each half of an injected pair, Shift) leave it waiting for its second half.
    const bool shortcut = ctrl && (key == 'A' || key == 'C' || key == 'X' || key == 'V');
    if (shortcut || key == VK_BACK || (key >= VK_LEFT && key <= VK_DOWN))
        pendingHighSurrogate_ = 0;
    switch (key) {
    case VK_BACK:
        if (anchor_ == caret_) {
            if (caret_ == 0)
                return;
            anchor_ = text_.previous(caret_);
        }
        if (!deleteSelection())
            return;
        placeCaret();
        repaint();
        return;
    case VK_LEFT:
    case VK_UP:
        if (caret_ > 0) {
            anchor_ = caret_ = text_.previous(caret_);
            placeCaret();
            repaint();
        }
        return;
    case VK_RIGHT:
    case VK_DOWN:
        if (caret_ < text_.length()) {
            anchor_ = caret_ = text_.next(caret_);
            placeCaret();
            repaint();
        }
        return;
    case 'A':
        if (ctrl) {
            anchor_ = 0;
            caret_ = text_.length();
            placeCaret();
            repaint();
        }
        return;
    case 'C':
        if (ctrl)
            copySelection();
        return;
    case 'X':
        if (ctrl)
            cutSelection();
        return;
    case 'V':
        if (ctrl)
            paste();
        return;
    default:
        return;   // Home, End and Delete included: the one-line box has no use for them
    }
}

void TextBox::copySelection()
{
    if (anchor_ == caret_)
        return;
    const int32_t start = std::min(anchor_, caret_), end = std::max(anchor_, caret_);
    ClipboardText::put(window() ? window()->nativeWindow() : nullptr,
                       std::wstring_view(text_.chars()).substr(size_t(start), size_t(end - start)));
}

void TextBox::cutSelection()
{
    if (anchor_ == caret_)
        return;
    // the selection goes even when the clipboard could not take it
    copySelection();
    if (!deleteSelection())
        return;
    placeCaret();
    repaint();
}

void TextBox::paste()
{
    std::optional<std::wstring> pasted = ClipboardText::get(window() ? window()->nativeWindow() : nullptr);
    if (!pasted)
        return;
    // one line: line breaks, tabs and other control characters become spaces
    for (wchar_t& c : *pasted) {
        if (c < 32)
            c = L' ';
    }
    if (!deleteSelection())
        return;
    int32_t inserted = 0;
    if (!insertAt(caret_, *pasted, inserted))
        return;
    anchor_ = caret_ = caret_ + inserted;
    placeCaret();
    repaint();
}

// --- handlers ---

void TextBox::onAttached(void* self, Control*, ControlEvent*)
{
    auto* box = static_cast<TextBox*>(self);
    box->padX_ = kPadX;
    box->padY_ = kPadY;
    const std::wstring* text = box->textProperties.get(PropertyKey::text);
    box->setText(text ? *text : std::wstring());
}

int32_t TextBox::pointerX(const ControlEvent& event) const
{
    Point origin;
    if (!absolutePosition(origin))
        return 0;
    // signed: a drag past the window's left edge reports negative positions
    return int32_t(int16_t(uint16_t(event.lparam & 0xFFFF))) - origin.x;
}

void TextBox::onLButtonDown(void* self, Control*, ControlEvent* event)
{
    auto* box = static_cast<TextBox*>(self);
    event->handled = 1;
    box->pendingHighSurrogate_ = 0;
    const int32_t index = box->text_.indexAt(box->pointerX(*event) - box->padX_ + box->scrollX_, box->widths_);
    const bool moved = index != box->caret_;
    const bool hadSelection = box->anchor_ != box->caret_;
    box->anchor_ = box->caret_ = index;
    if (moved)
        box->placeCaret();
    if (moved || hadSelection)
        box->repaint();
}

void TextBox::onMouseMove(void* self, Control*, ControlEvent* event)
{
    auto* box = static_cast<TextBox*>(self);
    event->handled = 1;
    if (!box->hasFlags(Flag::captured))
        return;
    // Just past either edge the text scrolls by about a character per move.
    const int32_t w = box->widths_.width(U'W');
    const int32_t low = box->padX_ - w, high = box->width_ + w - box->padX_;
    const int32_t x = std::clamp(box->pointerX(*event), low, std::max(low, high));
    const int32_t index = box->text_.indexAt(x - box->padX_ + box->scrollX_, box->widths_);
    if (index == box->caret_)
        return;
    box->caret_ = index;
    box->placeCaret();
    box->repaint();
}

void TextBox::onKeyDown(void* self, Control*, ControlEvent* event)
{
    event->handled = 1;
    static_cast<TextBox*>(self)->keyDown(uint32_t(event->wparam));
}

void TextBox::onKeyPress(void* self, Control*, ControlEvent* event)
{
    event->handled = 1;
    const auto c = wchar_t(event->wparam);
    if (c < 32)
        return;
    static_cast<TextBox*>(self)->typeCharacter(c);
}

void TextBox::onGotFocus(void* self, Control*, ControlEvent*)
{
    auto* box = static_cast<TextBox*>(self);
    if (box->window())
        box->window()->setCaretSize(1, std::max(box->textHeight_, box->height_ - 2 * box->padY_));
    box->placeCaret();
    box->repaint();
}

void TextBox::onLostFocus(void* self, Control*, ControlEvent*)
{
    auto* box = static_cast<TextBox*>(self);
    box->pendingHighSurrogate_ = 0;
    if (box->window())
        box->window()->hideCaret();
    box->anchor_ = box->caret_;
    box->repaint();
}

void TextBox::onQueryCursor(void*, Control*, ControlEvent* event)
{
    SetCursor(LoadCursorW(nullptr, IDC_IBEAM));
    event->handled = 1;
}

void TextBox::onDoubleClick(void* self, Control*, ControlEvent* event)
{
    auto* box = static_cast<TextBox*>(self);
    event->handled = 1;
    box->anchor_ = 0;
    box->caret_ = box->text_.length();
    box->placeCaret();
    box->repaint();
}

ControlKind TextBox::kind() const
{
    return ControlKind::stop(AccessRole::text);
}

bool TextBox::accessibleValue(std::wstring& out) const
{
    out = text();
    return true;
}

void TextBox::reachedByTab()
{
    selectAll();
}
