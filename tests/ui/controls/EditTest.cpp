// The edit's keys, mouse, scrolling, caret, clipboard and painting, hosted by a stand-in window.
#include "../core/FakeHost.h"

#include <Canvas.h>
#include <Edit.h>
#include <platform/Gdi.h>

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <optional>
#include <string>

namespace {

class EditTest : public ::testing::Test {
protected:
    void SetUp() override { make(true); }
    void TearDown() override
    {
        holdKeys(false, false);
        if (root) {
            host.detachRoot(root);
            delete root;
        }
    }

    // An edit at (10, 20), 200 x 120 unless `width` says otherwise, in a canvas filling the
    // window; `text` is its markup text. Laid out unless `arranged` is false.
    void make(bool editable, int32_t textspace = 0, const std::wstring* text = nullptr, bool arranged = true,
              int32_t width = 200)
    {
        if (root) {
            host.detachRoot(root);
            delete root;
        }
        root = new Canvas;
        edit = new Edit;
        edit->intProperties.set(PropertyKey::x, 10);
        edit->intProperties.set(PropertyKey::y, 20);
        edit->intProperties.set(PropertyKey::width, width);
        edit->intProperties.set(PropertyKey::height, 120);
        edit->intProperties.set(PropertyKey::texteditable, editable ? 1 : 0);
        edit->intProperties.set(PropertyKey::textspace, textspace);
        // no registry has this font (there is no registry here at all): the edit falls back
        edit->textProperties.set(PropertyKey::font, L"No such font");
        if (text)
            edit->textProperties.set(PropertyKey::text, *text);
        root->addChild(edit);
        host.attachRoot(root);
        if (arranged)
            layout();
    }
    void layout()
    {
        root->measure({host.client.right, host.client.bottom});
        root->arrange(host.client);
    }
    // Room for exactly `lines` whole lines and a bit more.
    void showLines(int32_t lines)
    {
        edit->intProperties.set(PropertyKey::height, 10 + lines * edit->lineHeight() + edit->lineHeight() / 2);
        layout();
    }
    void focus()
    {
        edit->setRoutingState(Flag::focused, true);
        send(EventCode::GotFocus);
    }
    void send(int32_t code, uint64_t wparam = 0, int64_t lparam = 0)
    {
        ControlEvent event;
        event.code = code;
        event.direction = Bubbling;
        event.wparam = wparam;
        event.lparam = lparam;
        edit->dispatch(event);
    }
    void type(const std::wstring& text)
    {
        for (wchar_t c : text)
            send(EventCode::KeyPress, c);
    }
    void key(uint32_t vk, bool ctrl = false, bool alt = false)
    {
        holdKeys(ctrl, alt);
        send(EventCode::KeyDown, vk);
        holdKeys(false, false);
    }
    static void holdKeys(bool ctrl, bool alt)
    {
        BYTE state[256] = {};
        state[VK_CONTROL] = ctrl ? 0x80 : 0;
        state[VK_MENU] = alt ? 0x80 : 0;
        SetKeyboardState(state);
    }
    // A mouse message's lparam for a point relative to the edit.
    int64_t at(int32_t x, int32_t y) { return MAKELPARAM(10 + x, 20 + y); }
    void expectState(const std::wstring& text, int32_t anchor, int32_t caret)
    {
        EXPECT_EQ(edit->getText(), text);
        EXPECT_EQ(edit->anchor(), anchor);
        EXPECT_EQ(edit->caret(), caret);
    }
    std::wstring numberedLines(int32_t count)
    {
        std::wstring text;
        for (int32_t i = 0; i < count; ++i)
            text += (i ? L"\r\n" : L"") + std::to_wstring(i);
        return text;
    }

    FakeHost host;
    Canvas* root = nullptr;
    Edit* edit = nullptr;
};

} // namespace

TEST_F(EditTest, EnterInsertsCrLfAndOneStepGoesBackOverIt)
{
    focus();
    type(L"ab\rc");
    expectState(L"ab\r\nc", 5, 5);
    key(VK_LEFT);
    expectState(L"ab\r\nc", 4, 4);
    key(VK_LEFT);
    EXPECT_EQ(edit->caret(), 2);
    key(VK_RIGHT);
    EXPECT_EQ(edit->caret(), 4);
    key(VK_END);
    key(VK_BACK);
    expectState(L"ab\r\n", 4, 4);
    key(VK_BACK);
    expectState(L"ab", 2, 2);
    // a surrogate pair typed as two units goes with one Backspace
    type(L"\xD83D\xDE00");
    EXPECT_EQ(edit->getText().size(), 4u);
    key(VK_BACK);
    expectState(L"ab", 2, 2);
    key(VK_HOME);
    key(VK_BACK);   // nothing before the start
    expectState(L"ab", 0, 0);
    type(std::wstring(L"\t\x1b\x01", 3));   // control characters other than CR are not typed
    expectState(L"ab", 0, 0);
    EXPECT_GT(edit->lineHeight(), 5);   // the fallback font's
    EXPECT_TRUE(host.caretShown);
    EXPECT_EQ(host.caretSize, (Size{1, edit->lineHeight()}));
    EXPECT_EQ(host.caretAt, (Point{10 + 5, 20 + 5}));
}

TEST_F(EditTest, ShortcutsNeedCtrlWithoutAltAndCutNeedsASelection)
{
    focus();
    edit->setText(L"hello");
    key('A', true, true);   // AltGr+A types a character on some layouts; it selects nothing
    EXPECT_EQ(edit->anchor(), edit->caret());
    key('A');
    EXPECT_EQ(edit->anchor(), edit->caret());
    key('X', true);   // nothing selected: nothing cut
    expectState(L"hello", 0, 0);
    key('A', true);
    expectState(L"hello", 0, 5);
    key(VK_UP);   // no line above: the caret stays and the selection goes
    expectState(L"hello", 5, 5);
    key('A', true);
    // the stand-in window has no clipboard to give: the cut still takes the selection
    key('X', true);
    expectState(L"", 0, 0);
    type(L"xy");
    key(VK_LEFT);
    key(VK_ESCAPE);
    expectState(L"xy", 1, 1);
}

namespace {

// A window of this thread for the clipboard, destroyed at the end of the scope.
struct ClipboardWindow {
    ClipboardWindow() : hwnd(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr)) {}
    ~ClipboardWindow() { DestroyWindow(hwnd); }
    HWND hwnd;
};

std::wstring clipboardText(HWND window)
{
    std::wstring text;
    if (!OpenClipboard(window))
        return L"<not opened>";
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = chars;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

} // namespace

TEST_F(EditTest, CopyAndPasteThroughTheClipboardAndNothingWhileAnotherWindowHoldsIt)
{
    ClipboardWindow ours, other;
    host.native = ours.hwnd;
    focus();
    edit->setText(L"copy\r\nme");
    key('A', true);
    key('C', true);
    EXPECT_EQ(clipboardText(other.hwnd), L"copy\r\nme");
    key(VK_END);
    key('V', true);
    expectState(L"copy\r\nmecopy\r\nme", 16, 16);

    // another window has the clipboard open: copy and paste do nothing, a cut still deletes, and
    // the clipboard is never left open by the edit
    ASSERT_TRUE(OpenClipboard(other.hwnd));
    edit->setText(L"xyz");
    key('A', true);
    key('C', true);
    key('V', true);
    key('X', true);
    expectState(L"", 0, 0);
    CloseClipboard();
    EXPECT_EQ(clipboardText(other.hwnd), L"copy\r\nme");
    key('V', true);
    expectState(L"copy\r\nme", 8, 8);
    EXPECT_EQ(clipboardText(ours.hwnd), L"copy\r\nme");
}

TEST_F(EditTest, ReadOnlyIgnoresEditingButSelectsAndMoves)
{
    make(false);
    focus();
    edit->setText(L"fixed");
    type(L"z\r");
    key(VK_BACK);
    key('A', true);
    key('X', true);
    key('V', true);
    expectState(L"fixed", 0, 5);
    key(VK_LEFT);
    expectState(L"fixed", 4, 4);
}

TEST_F(EditTest, ScrollingStopsAtTheLastLineOrTheLastPage)
{
    struct Case {
        bool editable;
        int32_t lastTop;   // 10 lines, 4 visible
    } cases[] = {{true, 9}, {false, 6}};
    for (const Case& c : cases) {
        make(c.editable);
        showLines(4);
        ASSERT_EQ(edit->visibleLines(), 4);
        focus();
        edit->setText(numberedLines(10));
        key(VK_NEXT);
        EXPECT_EQ(edit->firstVisibleLine(), 4);
        key(VK_NEXT);
        key(VK_NEXT);
        EXPECT_EQ(edit->firstVisibleLine(), c.lastTop);
        key(VK_HOME);
        key(VK_END);
        EXPECT_EQ(edit->firstVisibleLine(), c.lastTop);
        EXPECT_EQ(edit->caret(), edit->store().length());
        // a notch away from the user moves the view up by three lines
        send(EventCode::MouseWheel, MAKEWPARAM(0, 120));
        EXPECT_EQ(edit->firstVisibleLine(), c.lastTop - 3);
        send(EventCode::MouseWheel, MAKEWPARAM(0, 120));
        EXPECT_EQ(edit->firstVisibleLine(), c.lastTop - 6);
        EXPECT_FALSE(host.caretShown);   // the caret's line scrolled out of view
        send(EventCode::MouseWheel, MAKEWPARAM(0, static_cast<WORD>(-240)));
        EXPECT_EQ(edit->firstVisibleLine(), c.lastTop);
        EXPECT_TRUE(host.caretShown);
    }
}

TEST_F(EditTest, PressAndDragSelect)
{
    showLines(4);
    focus();
    edit->setText(numberedLines(10));
    int32_t lh = edit->lineHeight();
    // below the last whole line: the caret goes onto it
    send(EventCode::LButtonDown, 0, at(7, 5 + 4 * lh + lh / 4));
    EXPECT_EQ(edit->store().lineOfIndex(edit->caret())->number, 3);
    EXPECT_EQ(edit->caret(), edit->anchor());
    // dragging moves the caret only while the edit holds the capture
    send(EventCode::MouseMove, 0, at(100, 5 + lh / 2));
    EXPECT_EQ(edit->caret(), edit->anchor());
    edit->setRoutingState(Flag::captured, true);
    int32_t anchor = edit->anchor();
    send(EventCode::MouseMove, 0, at(100, 5 + lh / 2));
    EXPECT_EQ(edit->anchor(), anchor);
    EXPECT_EQ(edit->caret(), 1);   // the end of line 0, "0"
    // just below the text band the caret goes one line further down, which scrolls
    send(EventCode::MouseMove, 0, at(0, 200));
    EXPECT_EQ(edit->store().lineOfIndex(edit->caret())->number, 4);
    EXPECT_EQ(edit->firstVisibleLine(), 1);
    edit->setRoutingState(Flag::captured, false);
}

TEST_F(EditTest, TextBeforeTheFirstArrangeWrapsOnceTheWidthIsKnown)
{
    // markup text arrives with the attach, before any arrange: the width is still 0
    std::wstring text(3000, L'm');
    make(true, 0, &text, false);
    EXPECT_EQ(edit->store().lineCount(), 1);
    layout();
    const LineRecord* first = edit->store().firstLine();
    int32_t width = edit->store().xInLine(first, first->end + 1);
    EXPECT_GT(edit->store().lineCount(), 10);
    EXPECT_LE(width, 190);
    EXPECT_GT(width + edit->store().xInLine(first, 1), 190);
}

TEST_F(EditTest, ANegativeTextspaceKeepsLinesAtLeastOnePixelHigh)
{
    make(true, -1000);
    EXPECT_EQ(edit->lineHeight(), 1);
    focus();
    edit->setText(numberedLines(50));
    key(VK_NEXT);
    send(EventCode::LButtonDown, 0, at(20, 30));
    send(EventCode::MouseWheel, MAKEWPARAM(0, 120));
    EXPECT_GE(edit->firstVisibleLine(), 0);
}

TEST_F(EditTest, SetTextBringsTheCaretAndTheViewBackIntoAShorterText)
{
    showLines(4);
    focus();
    edit->setText(numberedLines(30));
    key(VK_END);
    edit->setText(L"a\r\nb");
    expectState(L"a\r\nb", 4, 4);
    EXPECT_EQ(edit->firstVisibleLine(), 1);
    edit->setText(L"");
    expectState(L"", 0, 0);
    EXPECT_EQ(edit->firstVisibleLine(), 0);
}

namespace {

// A white 32-bit picture the edit paints into, at the edit's own origin.
class Picture {
public:
    Picture(int32_t width, int32_t height) : width_(width), height_(height)
    {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        bitmap_.reset(CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0));
        selected_.emplace(dc_.get(), bitmap_.get());
        std::fill(bits_, bits_ + width * height, 0xFFFFFF);
    }
    void paint(Edit* edit)
    {
        Rect area{0, 0, edit->rect.width(), edit->rect.height()};
        edit->paint(dc_.get(), area, area);
        GdiFlush();
    }
    // 0x00RRGGBB
    uint32_t at(int32_t x, int32_t y) const { return bits_[y * width_ + x] & 0xFFFFFF; }
    // The rightmost x in rows [top, bottom) holding `colour`, or -1.
    int32_t rightmost(int32_t top, int32_t bottom, uint32_t colour) const
    {
        for (int32_t x = width_ - 1; x >= 0; --x)
            for (int32_t y = top; y < bottom; ++y)
                if (at(x, y) == colour)
                    return x;
        return -1;
    }
    // The rightmost x in rows [top, bottom) that is not white.
    int32_t rightmostInk(int32_t top, int32_t bottom) const
    {
        for (int32_t x = width_ - 1; x >= 0; --x)
            for (int32_t y = top; y < bottom; ++y)
                if (at(x, y) != 0xFFFFFF)
                    return x;
        return -1;
    }

private:
    int32_t width_, height_;
    platform::MemoryDC dc_{nullptr};
    platform::BitmapHandle bitmap_;
    std::optional<platform::SelectScope> selected_;
    uint32_t* bits_ = nullptr;
};

constexpr uint32_t kSelection = 0x3399FF;   // the selection colour as the picture holds it

} // namespace

TEST_F(EditTest, ASelectionCoversWrappedLinesToTheirEndsAndEmptyLinesAsABox)
{
    focus();
    edit->setText(std::wstring(80, L'a') + L"\r\n\r\nb");   // two wrapped lines, an empty line, "b"
    key('A', true);
    Picture picture(200, 120);
    picture.paint(edit);
    int32_t lh = edit->lineHeight();
    const LineRecord* first = edit->store().firstLine();
    ASSERT_EQ(first->breakKind, LineBreak::Soft);
    int32_t lineEnd = 5 + edit->store().xInLine(first, first->end + 1);
    EXPECT_GE(picture.rightmost(5, 5 + lh, kSelection), lineEnd - 2);
    // the empty line: a box about one average character wide at its start
    int32_t emptyTop = 5 + lh * edit->store().lineOfIndex(82)->number;
    int32_t box = picture.rightmost(emptyTop, emptyTop + lh, kSelection);
    EXPECT_GT(box, 5);
    EXPECT_LT(box, 5 + 20);
    EXPECT_EQ(picture.at(6, emptyTop + lh / 2), kSelection);
}

TEST_F(EditTest, LinesLongerThanAnyScratchBufferAreDrawnWhole)
{
    // 1,000 tabs are 4,000 spaces when drawn; a line of 3,000 characters spans blocks
    host.client = {0, 0, 30000, 300};
    make(true, 0, nullptr, true, 20000);
    edit->setText(std::wstring(1000, L'\t') + L"X\r\n" + std::wstring(3000, L'i') + L"W");
    Picture picture(20000, 120);
    picture.paint(edit);
    int32_t lh = edit->lineHeight();
    HDC screen = GetDC(nullptr);
    SIZE spaces{}, line{};
    {
        platform::MemoryDC dc(screen);
        platform::SelectScope font(dc.get(), GetStockObject(DEFAULT_GUI_FONT));
        std::wstring four(4000, L' '), long_(3000, L'i');
        GetTextExtentPoint32W(dc.get(), four.data(), 4000, &spaces);
        GetTextExtentPoint32W(dc.get(), (long_ + L"W").data(), 3001, &line);
    }
    ReleaseDC(nullptr, screen);
    int32_t x = picture.rightmostInk(5, 5 + lh);
    EXPECT_GT(x, 5 + spaces.cx);
    EXPECT_LT(x, 5 + spaces.cx + 20);
    EXPECT_GT(picture.rightmostInk(5 + lh, 5 + 2 * lh), 5 + line.cx - 20);
}
