// Edit: attaching, layout and scrolling, the caret and the selection, keys, mouse and the clipboard.
#include "Edit.h"

#include "ClipboardText.h"

#include <ClipScope.h>
#include <ControlHost.h>
#include <PropertyKey.h>
#include <SkinPainter.h>

#include <windows.h>
#include <windowsx.h>

#include <algorithm>

namespace {

// Shortcuts need Ctrl without Alt: Ctrl+Alt is AltGr on many layouts, which types characters.
bool shortcutHeld()
{
    return (GetKeyState(VK_CONTROL) & 0x8000) && !(GetKeyState(VK_MENU) & 0x8000);
}

// Characters drawn by one DrawTextW call.
constexpr size_t kDrawPiece = 512;

int32_t floorDivide(int64_t a, int32_t b)
{
    int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return static_cast<int32_t>(std::clamp<int64_t>(q, INT32_MIN, INT32_MAX));
}

} // namespace

Edit::Edit() : Control(kInitialFlags), store_(widths_)
{
    addHandler(EventCode::Attached, this, onAttached);
    addHandler(EventCode::LButtonDown, this, onLButtonDown);
    addHandler(EventCode::MouseMove, this, onMouseMove);
    addHandler(EventCode::MouseWheel, this, onMouseWheel);
    addHandler(EventCode::KeyDown, this, onKeyDown);
    addHandler(EventCode::KeyPress, this, onKeyPress);
    addHandler(EventCode::GotFocus, this, onGotFocus);
    addHandler(EventCode::LostFocus, this, onLostFocus);
    addHandler(EventCode::QueryCursor, this, onQueryCursor);
}

Edit::~Edit()
{
    // our handlers are disarmed before the window hears of our end, so no LostFocus hides the
    // caret for us
    if (hasFlags(Flag::focused) && isAttached(this) && window())
        window()->hideCaret();
}

const wchar_t* Edit::className() const
{
    return L"Edit";
}

// --- text and layout ---

bool Edit::setText(std::wstring_view text)
{
    if (!store_.setText(text))
        return false;
    anchor_ = store_.caretPositionAt(anchor_);
    caret_ = store_.caretPositionAt(caret_);
    scrollClamp();
    repaint();
    return true;
}

void Edit::attached()
{
    lineSpacing_ = intProperties.value(PropertyKey::textspace, 0);
    Size padding = sizeProperties.value(PropertyKey::textpadding, Size{5, 5});
    padX_ = padding.width;
    padY_ = padding.height;
    editable_ = intProperties.value(PropertyKey::texteditable, 1) != 0;
    textColour_ = static_cast<COLORREF>(intProperties.value(PropertyKey::color, static_cast<int32_t>(MeasuringFont::kTextColour)));
    // the text is replaced below: the old one need not be wrapped again meanwhile
    store_.setText(L"");
    const std::wstring* fontName = textProperties.get(PropertyKey::font);
    loadFont(fontName ? *fontName : L"Default");
    clientWidth_ = rect.width();
    clientHeight_ = rect.height();
    // before the first arrange the width is usually 0: then nothing wraps until a real one comes
    store_.setWrapWidth(clientWidth_ - 2 * padX_);
    const std::wstring* text = textProperties.get(PropertyKey::text);
    setText(text ? *text : std::wstring());
}

void Edit::loadFont(const std::wstring& name)
{
    font_.load(name);
    widths_.setDC(font_.dc());
    TEXTMETRICW metrics{};
    if (!font_.metrics(metrics))
        metrics = TEXTMETRICW{};
    // a negative textspace must not take the line height to 0 or below: it divides everywhere
    lineHeight_ = std::max<int32_t>(1, metrics.tmHeight + lineSpacing_);
    averageCharWidth_ = std::max<int32_t>(1, metrics.tmAveCharWidth);
}

Size Edit::arrangeOverride(Size finalSize)
{
    if (finalSize.width != clientWidth_) {
        clientWidth_ = finalSize.width;
        store_.setWrapWidth(clientWidth_ - 2 * padX_);
    }
    clientHeight_ = finalSize.height;
    scrollClamp();
    if (hasFlags(Flag::focused) && window()) {
        int32_t y = pointOfIndex(caret_).y;
        if (y > padY_ - lineHeight_ && y < visibleBottom())
            placeCaret();
        else
            window()->hideCaret();
    }
    repaint();
    return finalSize;
}

int32_t Edit::visibleLines() const
{
    return std::max(1, (clientHeight_ - 2 * padY_) / lineHeight_);
}

int32_t Edit::visibleBottom() const
{
    int32_t usable = std::max(0, clientHeight_ - 2 * padY_);
    return padY_ + usable / lineHeight_ * lineHeight_;
}

Point Edit::pointOfIndex(int32_t index) const
{
    const LineRecord* line = store_.lineOfIndex(index);
    int64_t y = int64_t(line->number - firstVisibleLine_) * lineHeight_ + padY_;
    return {padX_ + store_.xInLine(line, index), static_cast<int32_t>(std::clamp<int64_t>(y, INT32_MIN / 2, INT32_MAX / 2))};
}

int32_t Edit::indexAtPoint(Point point) const
{
    int32_t number = floorDivide(int64_t(lineHeight_) * firstVisibleLine_ + point.y - padY_, lineHeight_);
    return store_.indexAtX(store_.lineOfNumber(number), point.x - padX_);
}

// --- scrolling and the caret ---

void Edit::scrollClamp()
{
    // a read-only edit stops at its last page; an editable one may scroll its last line to the top
    if (!editable_)
        firstVisibleLine_ = std::min(firstVisibleLine_, store_.lineCount() - visibleLines());
    firstVisibleLine_ = std::clamp(firstVisibleLine_, 0, store_.lineCount() - 1);
}

void Edit::scrollTo(int32_t line)
{
    int32_t before = firstVisibleLine_;
    firstVisibleLine_ = line;
    scrollClamp();
    if (firstVisibleLine_ != before)
        repaint();
}

bool Edit::ensureCaretVisible()
{
    int32_t before = firstVisibleLine_;
    int32_t line = store_.lineOfIndex(caret_)->number;
    if (line < firstVisibleLine_)
        firstVisibleLine_ = line;
    else if (line >= firstVisibleLine_ + visibleLines())
        firstVisibleLine_ = line - visibleLines() + 1;
    scrollClamp();
    if (firstVisibleLine_ == before)
        return false;
    repaint();
    return true;
}

void Edit::placeCaret()
{
    ensureCaretVisible();
    Point origin;
    if (!hasFlags(Flag::focused) || !window() || !absolutePosition(origin))
        return;
    Point at = pointOfIndex(caret_);
    window()->showCaret(origin.x + at.x, origin.y + at.y);
}

void Edit::moveCaret(int32_t index)
{
    if (anchor_ != caret_)
        repaintLines(anchor_, caret_);
    if (index != caret_) {
        caret_ = index;
        placeCaret();
    }
    anchor_ = caret_;
}

void Edit::rememberCaretX()
{
    desiredX_ = pointOfIndex(caret_).x - padX_;
}

void Edit::repaint()
{
    invalidate(false);
}

void Edit::repaintLines(int32_t a, int32_t b)
{
    int32_t first = store_.lineOfIndex(a)->number;
    int32_t second = store_.lineOfIndex(b)->number;
    int64_t top = padY_ + int64_t(lineHeight_) * (std::min(first, second) - firstVisibleLine_);
    int64_t bottom = padY_ + int64_t(lineHeight_) * (std::max(first, second) - firstVisibleLine_ + 1);
    Rect band{padX_, static_cast<int32_t>(std::max<int64_t>(top, padY_)), clientWidth_,
              static_cast<int32_t>(std::min<int64_t>(bottom, visibleBottom()))};
    Point origin;
    if (band.isEmpty() || !window() || !absolutePosition(origin))
        return;
    Rect visible = intersect(band.offset(origin.x, origin.y), window()->clientRect());
    if (visible.isEmpty())
        return;
    window()->invalidateRect(visible);
    window()->requestRepaint(false);
}

// --- editing ---

bool Edit::deleteSelection()
{
    int32_t from = std::min(anchor_, caret_);
    int32_t to = std::max(anchor_, caret_);
    if (from == to)
        return false;
    store_.deleteRange(from, to);
    anchor_ = caret_ = from;
    return true;
}

void Edit::insertAtCaret(const wchar_t* chars, int32_t count)
{
    if (store_.insertAt(caret_, chars, count))
        caret_ += count;
    anchor_ = caret_;
}

void Edit::typeCharacter(wchar_t c)
{
    if (!editable_ || (c < 32 && c != L'\r'))
        return;
    deleteSelection();
    if (c == L'\r')
        insertAtCaret(L"\r\n", 2);
    else
        insertAtCaret(&c, 1);
    rememberCaretX();
    placeCaret();
    repaint();
}

void Edit::keyDown(uint32_t key)
{
    const int32_t lines = store_.lineCount();
    const LineRecord* caretLine = store_.lineOfIndex(caret_);
    switch (key) {
    case VK_BACK:
        if (!editable_)
            break;
        if (anchor_ == caret_) {
            if (caret_ == 0)
                break;
            anchor_ = store_.previousIndex(caret_);
        }
        deleteSelection();
        rememberCaretX();
        placeCaret();
        repaint();
        break;
    case VK_ESCAPE:
        moveCaret(caret_);
        break;
    case VK_PRIOR:
        if (firstVisibleLine_ > 0)
            scrollTo(std::max(0, firstVisibleLine_ - visibleLines()));
        moveCaret(store_.indexAtX(store_.lineOfNumber(caretLine->number - visibleLines()), desiredX_));
        break;
    case VK_NEXT:
        if (firstVisibleLine_ != lines - 1)
            scrollTo(std::min(lines - 1, firstVisibleLine_ + visibleLines()));
        moveCaret(store_.indexAtX(store_.lineOfNumber(caretLine->number + visibleLines()), desiredX_));
        break;
    case VK_END:
        scrollTo(lines - 1);
        moveCaret(store_.length());
        break;
    case VK_HOME:
        scrollTo(0);
        moveCaret(0);
        break;
    case VK_LEFT:
    case VK_RIGHT: {
        int32_t before = caret_;
        moveCaret(key == VK_LEFT ? store_.previousIndex(caret_) : store_.nextIndex(caret_));
        if (caret_ != before)
            rememberCaretX();
        break;
    }
    case VK_UP:
    case VK_DOWN: {
        const LineRecord* target = key == VK_UP ? caretLine->prev : caretLine->next;
        moveCaret(target ? store_.indexAtX(target, desiredX_) : caret_);
        break;
    }
    case 'A':
        if (!shortcutHeld())
            break;
        anchor_ = 0;
        caret_ = store_.length();
        placeCaret();
        repaint();
        break;
    case 'C':
        if (shortcutHeld() && editable_)
            copySelection();
        break;
    case 'X':
        if (shortcutHeld() && editable_)
            cutSelection();
        break;
    case 'V':
        if (shortcutHeld() && editable_)
            paste();
        break;
    default:
        break;
    }
}

// --- clipboard ---

bool Edit::copySelection()
{
    int32_t from = std::min(anchor_, caret_);
    int32_t to = std::max(anchor_, caret_);
    if (from == to)
        return false;
    std::wstring text;
    store_.copyText(from, to, text);
    return ClipboardText::put(window() ? window()->nativeWindow() : nullptr, text);
}

void Edit::cutSelection()
{
    if (anchor_ == caret_)
        return;
    copySelection();   // the selection goes even when the clipboard refused it
    deleteSelection();
    rememberCaretX();
    placeCaret();
    repaint();
}

void Edit::paste()
{
    std::optional<std::wstring> text = ClipboardText::get(window() ? window()->nativeWindow() : nullptr);
    int32_t selected = std::abs(caret_ - anchor_);
    if (!text || text->size() > static_cast<size_t>(BlockTable::kMaxLength - (store_.length() - selected)))
        return;
    deleteSelection();
    insertAtCaret(text->data(), static_cast<int32_t>(text->size()));
    rememberCaretX();
    placeCaret();
    repaint();
}

// --- painting ---

void Edit::paint(DeviceContext dc, const Rect& windowRect, const Rect& clip)
{
    // the skin: the named style when it exists, else the edit's default one
    skin::paintWith(skin::existingStyleOr(*this, L"edit.xml"), dc, windowRect, this);
    if (!dc)
        return;

    platform::SavedDC saved(dc);
    SetBkMode(dc, TRANSPARENT);
    if (font_.font())
        SelectObject(dc, font_.font());
    const int32_t from = std::min(anchor_, caret_);
    const int32_t to = std::max(anchor_, caret_);
    const int32_t limit = std::min(windowRect.bottom, windowRect.top + visibleBottom());
    for (const LineRecord* line = store_.lineOfNumber(firstVisibleLine_); line; line = line->next) {
        int32_t top = windowRect.top + (line->number - firstVisibleLine_) * lineHeight_ + padY_;
        if (top >= limit)
            break;
        if (line->end < line->start)
            continue;   // the final empty line shows nothing
        wchar_t first = store_.charAt(line->start);
        if (first == L'\r' || first == L'\n') {
            // an empty line shows its selected break as a box one average character wide
            if (line->start >= from && line->start < to) {
                RECT box{windowRect.left + padX_, top, windowRect.left + padX_ + averageCharWidth_, top + lineHeight_};
                FillRect(dc, &box, font_.selectionBrush());
            }
            continue;
        }
        Rect textRect{windowRect.left + padX_, top, windowRect.left + clientWidth_ - padX_, top + lineHeight_};
        drawLine(dc, line, textRect, textColour_);
        if (from >= to || from > line->end || to <= line->start)
            continue;
        // the selected part: filled, and the line drawn again over it in the selected colour
        Rect band{windowRect.left + padX_ + store_.xInLine(line, std::max(from, line->start)), top,
                  windowRect.left + padX_ + store_.xInLine(line, std::min(line->end + 1, to)), top + lineHeight_};
        band = intersect(band, clip);
        if (band.isEmpty())
            continue;
        ClipScope clipped(dc, band);
        RECT fill{band.left, band.top, band.right, band.bottom};
        FillRect(dc, &fill, font_.selectionBrush());
        drawLine(dc, line, textRect, MeasuringFont::kSelectedTextColour);
    }
}

void Edit::drawLine(DeviceContext dc, const LineRecord* line, const Rect& textRect, COLORREF colour)
{
    if (textRect.isEmpty())
        return;
    // the line's characters without its break, which has no glyph to show; each tab as spaces
    lineScratch_.clear();
    store_.copyText(line->start, store_.breakStart(line), lineScratch_);
    tabScratch_.clear();
    for (wchar_t c : lineScratch_) {
        if (c == L'\t')
            tabScratch_.append(kTabSpaces, L' ');
        else
            tabScratch_.push_back(c);
    }
    SetTextColor(dc, colour);
    // in pieces: some DrawTextW implementations cut a line at 1,024 characters
    RECT r{textRect.left, textRect.top, textRect.right, textRect.bottom};
    const wchar_t* chars = tabScratch_.data();
    size_t left = tabScratch_.size();
    while (left > 0 && r.left < r.right) {
        int n = static_cast<int>(std::min<size_t>(left, kDrawPiece));
        if (static_cast<size_t>(n) < left && chars[n - 1] >= 0xD800 && chars[n - 1] <= 0xDBFF)
            --n;   // a surrogate pair stays in one piece
        DrawTextW(dc, chars, n, &r, DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER);
        SIZE extent{};
        if (static_cast<size_t>(n) == left || !GetTextExtentPoint32W(dc, chars, n, &extent))
            break;
        r.left += extent.cx;
        chars += n;
        left -= n;
    }
}

// --- events ---

void Edit::onAttached(void* self, Control*, ControlEvent*)
{
    static_cast<Edit*>(self)->attached();
}

void Edit::onLButtonDown(void* self, Control*, ControlEvent* event)
{
    auto* edit = static_cast<Edit*>(self);
    Point point;
    if (!edit->toLocal({GET_X_LPARAM(event->lparam), GET_Y_LPARAM(event->lparam)}, point))
        return;
    // a press below the last whole line lands on it
    point.y = std::min(point.y, edit->visibleBottom() - 1);
    edit->moveCaret(edit->indexAtPoint(point));
    edit->desiredX_ = point.x - edit->padX_;
    event->handled = 1;
}

void Edit::onMouseMove(void* self, Control*, ControlEvent* event)
{
    auto* edit = static_cast<Edit*>(self);
    Point point;
    if (!edit->hasFlags(Flag::captured) ||
        !edit->toLocal({GET_X_LPARAM(event->lparam), GET_Y_LPARAM(event->lparam)}, point))
        return;
    // just outside the text band the caret goes one line further, which scrolls by one line
    point.x = std::clamp(point.x, edit->padX_, std::max(edit->padX_, edit->clientWidth_ - edit->padX_));
    point.y = std::clamp(point.y, edit->padY_ - 1, edit->visibleBottom() + 1);
    int32_t index = edit->indexAtPoint(point);
    if (index == edit->caret_)
        return;
    edit->repaintLines(index, edit->caret_);
    edit->caret_ = index;
    edit->placeCaret();
    edit->desiredX_ = point.x - edit->padX_;
}

void Edit::onMouseWheel(void* self, Control*, ControlEvent* event)
{
    auto* edit = static_cast<Edit*>(self);
    if (!edit->hasFlags(Flag::focused))
        return;
    int32_t delta = GET_WHEEL_DELTA_WPARAM(event->wparam);
    edit->firstVisibleLine_ = std::clamp(edit->firstVisibleLine_ - delta / 40, 0, edit->store_.lineCount() - 1);
    edit->scrollClamp();
    int32_t line = edit->store_.lineOfIndex(edit->caret_)->number;
    if (line >= edit->firstVisibleLine_ && line < edit->firstVisibleLine_ + edit->visibleLines())
        edit->placeCaret();
    else if (edit->window())
        edit->window()->hideCaret();
    edit->repaint();
}

void Edit::onKeyDown(void* self, Control*, ControlEvent* event)
{
    static_cast<Edit*>(self)->keyDown(static_cast<uint32_t>(event->wparam));
}

void Edit::onKeyPress(void* self, Control*, ControlEvent* event)
{
    static_cast<Edit*>(self)->typeCharacter(static_cast<wchar_t>(event->wparam));
}

void Edit::onGotFocus(void* self, Control*, ControlEvent*)
{
    auto* edit = static_cast<Edit*>(self);
    if (!edit->window())
        return;
    edit->window()->setCaretSize(1, edit->lineHeight_);
    edit->placeCaret();
}

void Edit::onLostFocus(void* self, Control*, ControlEvent*)
{
    auto* edit = static_cast<Edit*>(self);
    if (edit->window())
        edit->window()->hideCaret();
}

void Edit::onQueryCursor(void* self, Control*, ControlEvent* event)
{
    auto* edit = static_cast<Edit*>(self);
    if (!edit->hasFlags(Flag::enabled))
        return;
    SetCursor(LoadCursorW(nullptr, IDC_IBEAM));
    event->handled = 1;
}

ControlKind Edit::kind() const
{
    return ControlKind::stop(AccessRole::text);
}

bool Edit::accessibleValue(std::wstring& out) const
{
    out = getText();
    return true;
}
