// The text box in a real (hidden) host window fed with window messages: one capacity for every way
// in, surrogate pairs kept whole, Ctrl shortcuts that AltGr does not trigger, the clipboard with
// foreign data, the nearest boundary under a press and the caret there, and a handler that
// deletes the box mid-edit. Real X input and the painting are in the end-to-end scenario.
#include <Canvas.h>
#include <ClipboardText.h>
#include <SingleLineText.h>
#include <TextBox.h>
#include <Toolkit.h>
#include <WindowImpl.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

// Every character 10 pixels wide except 'W' (20) and supplementary characters (16).
struct FakeWidths : CharWidths {
    int32_t width(char32_t c) override { return c == U'W' ? 20 : c > 0xFFFF ? 16 : 10; }
};

const std::wstring kSmile = L"\U0001F600";   // one character, two units

} // namespace

TEST(SingleLineText, BoundariesWidthsAndTheNearestIndex)
{
    SingleLineText text(10);
    EXPECT_EQ(text.insert(0, L"ab" + kSmile + L"W"), 5);
    FakeWidths widths;
    EXPECT_EQ(text.boundary(3), 2) << "inside the pair";
    EXPECT_EQ(text.next(2), 4);
    EXPECT_EQ(text.previous(4), 2);
    EXPECT_EQ(text.widthTo(5, widths), 10 + 10 + 16 + 20);

    struct Case {
        int32_t x, index;
    };
    // a boundary flips once x passes the character's middle (its right edge less half its width)
    const Case cases[] = {{-5, 0}, {0, 0}, {5, 0}, {6, 1}, {15, 1}, {16, 2}, {27, 2}, {29, 4}, {46, 4},
                          {47, 5}, {500, 5}};
    for (const Case& c : cases)
        EXPECT_EQ(text.indexAt(c.x, widths), c.index) << "x " << c.x;

    // truncation never keeps half a pair
    EXPECT_EQ(SingleLineText::fitting(L"abc" + kSmile, 4), L"abc");
    EXPECT_EQ(SingleLineText::fitting(L"abc" + kSmile, 5), L"abc" + kSmile);
    EXPECT_EQ(text.insert(5, L"1234" + kSmile), 4) << "room 5: four units, not half the pair";
    text.erase(4, 3);   // reversed and inside the pair: the pair goes whole
    EXPECT_EQ(text.chars(), L"abW1234");
}

namespace {

class TextBoxTest : public ::testing::Test {
public:   // the table's actions drive the fixture
    void SetUp() override
    {
        ASSERT_TRUE(Toolkit::start());
        auto* root = new Canvas;
        root->intProperties.set(PropertyKey::width, 320);
        root->intProperties.set(PropertyKey::height, 60);
        box = new TextBox;
        box->intProperties.set(PropertyKey::x, 10);
        box->intProperties.set(PropertyKey::y, 10);
        box->intProperties.set(PropertyKey::width, 200);
        box->intProperties.set(PropertyKey::height, 32);
        root->addChild(box);
        box->addHandler(EventCode::ValueChange, this, countChange);
        window = new WindowImpl;
        window->setRoot(std::unique_ptr<Control>(root));
        // never shown: the routing and the clipboard need a window, not the screen
        ASSERT_TRUE(window->create(L"text box test", WS_POPUP, 0, 0, 0, 0));
        window->setFocus(box);
        changes = 0;
    }
    void TearDown() override
    {
        setModifiers(false, false);
        if (window)
            DestroyWindow(window->hwnd);
        Toolkit::shutdown();
    }

    static void countChange(void* self, Control*, ControlEvent*)
    {
        auto* test = static_cast<TextBoxTest*>(self);
        ++test->changes;
        if (test->onChange)
            test->onChange();
    }

    static void setModifiers(bool ctrl, bool alt)
    {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_CONTROL] = keys[VK_LCONTROL] = ctrl ? 0x80 : 0;
        keys[VK_MENU] = keys[VK_RMENU] = alt ? 0x80 : 0;
        SetKeyboardState(keys);
    }
    void key(UINT vk, bool ctrl = false, bool alt = false)
    {
        setModifiers(ctrl, alt);
        SendMessageW(window->hwnd, WM_KEYDOWN, vk, 1);
        setModifiers(false, false);
    }
    void type(const std::wstring& units)
    {
        for (wchar_t c : units)
            SendMessageW(window->hwnd, WM_CHAR, c, 1);
    }
    void setText(const std::wstring& text)
    {
        box->setText(text);
        changes = 0;
    }
    LPARAM at(int32_t x) const { return MAKELPARAM(WORD(int16_t(x)), WORD(int16_t(20))); }

    TextBox* box = nullptr;        // owned by the window's tree
    WindowImpl* window = nullptr;  // goes with its window
    int changes = 0;
    std::function<void()> onChange;
};

} // namespace

TEST_F(TextBoxTest, SetTextKeepsTheCapacityAndTellsOnlyOfANewText)
{
    box->setText(L"abc");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(box->caret(), 3);
    EXPECT_EQ(box->anchor(), 3);
    box->setText(L"abc");
    EXPECT_EQ(changes, 1) << "the same text again";

    box->setText(std::wstring(2500, L'x'));
    EXPECT_EQ(box->text().size(), size_t(TextBox::kCapacity)) << "cut to the capacity, not refused";
    box->setText(std::wstring(2600, L'x'));
    EXPECT_EQ(changes, 2) << "cut to the same text: no change";
    box->setText(std::wstring(1999, L'y') + kSmile);
    EXPECT_EQ(box->text(), std::wstring(1999, L'y')) << "the pair does not fit whole";
    box->setText(L"C:\\a\r\nb");
    EXPECT_EQ(box->text(), L"C:\\a\r\nb") << "setText keeps control characters";
}

TEST_F(TextBoxTest, KeysAndTyping)
{
    struct Case {
        const char* what;
        std::wstring start;
        std::function<void(TextBoxTest&)> act;
        std::wstring text;
        int32_t caret;
        int changes;
    };
    const Case cases[] = {
        {"typed text arrives", L"", [](TextBoxTest& t) { t.type(L"abc"); }, L"abc", 3, 3},
        {"typing over a selection deletes, then inserts",
         L"bcd", [](TextBoxTest& t) { t.key('A', true); t.type(L"a"); }, L"a", 1, 2},
        {"AltGr+A (Ctrl+Alt) types its character and selects nothing",
         L"abc", [](TextBoxTest& t) { t.key('A', true, true); t.type(L"\u0105"); }, L"abc\u0105", 4, 1},
        {"Ctrl+A, Backspace", L"abc", [](TextBoxTest& t) { t.key('A', true); t.key(VK_BACK); }, L"", 0, 1},
        {"Up at 3 goes to 2", L"abc", [](TextBoxTest& t) { t.key(VK_UP); t.type(L"X"); }, L"abXc", 3, 1},
        {"Left collapses a selection one step from the caret",
         L"abcd", [](TextBoxTest& t) { t.key('A', true); t.key(VK_LEFT); t.type(L"X"); }, L"abcXd", 4, 1},
        {"Backspace at the start does nothing", L"ab",
         [](TextBoxTest& t) { t.key(VK_LEFT); t.key(VK_LEFT); t.key(VK_BACK); }, L"ab", 0, 0},
        {"a pair is one step for the arrows and Backspace", L"a" + kSmile + L"b",
         [](TextBoxTest& t) { t.key(VK_LEFT); t.key(VK_LEFT); t.key(VK_RIGHT); t.key(VK_BACK); }, L"ab", 1, 1},
        {"a pair typed as two characters goes in whole", L"a", [](TextBoxTest& t) { t.type(kSmile); },
         L"a" + kSmile, 3, 1},
        {"also when each half comes with a key of its own (injected)", L"",
         [](TextBoxTest& t) {
             t.key(VK_PACKET);
             t.type(kSmile.substr(0, 1));
             t.key(VK_PACKET);
             t.type(kSmile.substr(1));
         },
         kSmile, 2, 1},
        {"a pair with room for one unit does not go in", std::wstring(1999, L'y'),
         [](TextBoxTest& t) { t.type(kSmile); }, std::wstring(1999, L'y'), 1999, 1},
        {"a lone second half is dropped", L"a", [](TextBoxTest& t) { t.type(kSmile.substr(1)); }, L"a", 1, 0},
        {"a full box takes nothing but still tells", std::wstring(2000, L'y'), [](TextBoxTest& t) { t.type(L"z"); },
         std::wstring(2000, L'y'), 2000, 1},
        {"control characters are not typed", L"a", [](TextBoxTest& t) { t.type(L"\r\t\x01"); }, L"a", 1, 0},
        {"Home, End and Delete do nothing", L"abc",
         [](TextBoxTest& t) { t.key(VK_HOME); t.key(VK_DELETE); t.key(VK_END); }, L"abc", 3, 0},
    };
    for (const Case& c : cases) {
        setText(c.start);
        c.act(*this);
        EXPECT_EQ(box->text(), c.text) << c.what;
        EXPECT_EQ(box->caret(), c.caret) << c.what;
        EXPECT_EQ(box->anchor(), c.caret) << c.what;
        EXPECT_EQ(changes, c.changes) << c.what;
    }
}

TEST_F(TextBoxTest, TheClipboardInBothDirectionsWithForeignData)
{
    // a line break pasted becomes spaces; a script's setText keeps it
    ASSERT_TRUE(ClipboardText::put(window->hwnd, L"one\r\ntwo"));
    setText(L"");
    key('V', true);
    EXPECT_EQ(box->text(), L"one  two");
    EXPECT_EQ(box->caret(), 8);

    // the paste stops at the capacity, before half a pair
    ASSERT_TRUE(ClipboardText::put(window->hwnd, L"x" + kSmile + L"z"));
    setText(std::wstring(1998, L'y'));
    key('V', true);
    EXPECT_EQ(box->text(), std::wstring(1998, L'y') + L"x");
    EXPECT_EQ(changes, 1);

    // another program's block without a terminator is read within its size
    {
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 3 * sizeof(wchar_t));
        ASSERT_NE(block, nullptr);
        auto* chars = static_cast<wchar_t*>(GlobalLock(block));
        chars[0] = L'a';
        chars[1] = L'b';
        chars[2] = L'c';
        GlobalUnlock(block);
        ASSERT_TRUE(OpenClipboard(window->hwnd));
        EmptyClipboard();
        if (!SetClipboardData(CF_UNICODETEXT, block))
            GlobalFree(block);
        CloseClipboard();
    }
    setText(L"");
    key('V', true);
    // (Wine itself ends such a block with a terminator in its last unit)
    EXPECT_TRUE(box->text() == L"abc" || box->text() == L"ab") << testing::PrintToString(box->text());

    // copy and cut put the selection; cut takes it away
    setText(L"hello");
    key('A', true);
    key('C', true);
    EXPECT_EQ(ClipboardText::get(window->hwnd).value_or(L"?"), L"hello");
    EXPECT_EQ(box->text(), L"hello");
    key(VK_LEFT);
    key(VK_LEFT);   // caret 3, nothing selected: a cut does nothing
    key('X', true);
    EXPECT_EQ(box->text(), L"hello");
    key('A', true);
    key('X', true);
    EXPECT_EQ(box->text(), L"");
    EXPECT_EQ(ClipboardText::get(window->hwnd).value_or(L"?"), L"hello");

    // nothing on the clipboard: the selection stays
    ASSERT_TRUE(OpenClipboard(window->hwnd));
    EmptyClipboard();
    CloseClipboard();
    setText(L"keep");
    key('A', true);
    key('V', true);
    EXPECT_EQ(box->text(), L"keep");
    EXPECT_EQ(changes, 0);
}

TEST_F(TextBoxTest, ThePressFindsTheNearestBoundaryAndTheCaretShowsThere)
{
    setText(L"abcdef");
    const int32_t left = box->rect.left;
    // a little before and after the middle of "c"
    const int32_t start = left + box->xOfIndex(2), end = left + box->xOfIndex(3);
    const int32_t middle = (start + end) / 2;
    SendMessageW(window->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at(middle - 2));
    EXPECT_EQ(box->caret(), 2);
    SendMessageW(window->hwnd, WM_LBUTTONUP, 0, at(middle - 2));
    SendMessageW(window->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at(middle + 2));
    EXPECT_EQ(box->caret(), 3);
    // the drag selects from the press
    SendMessageW(window->hwnd, WM_MOUSEMOVE, MK_LBUTTON, at(left + box->xOfIndex(5)));
    SendMessageW(window->hwnd, WM_LBUTTONUP, 0, at(left + box->xOfIndex(5)));
    EXPECT_EQ(box->anchor(), 3);
    EXPECT_EQ(box->caret(), 5);

    // the caret where the window shows it: at its boundary, inside the padding
    const Rect shown = window->caretRect();
    EXPECT_EQ(shown.left, left + box->xOfIndex(5));
    EXPECT_EQ(shown.top, box->rect.top + 5);
    EXPECT_EQ(shown.height(), std::max(box->textHeight(), 32 - 10));
}

TEST_F(TextBoxTest, AValueChangeHandlerMayDeleteTheBox)
{
    setText(L"abc");
    key('A', true);
    onChange = [this] {
        static_cast<Panel*>(window->root())->removeChild(box);
        delete box;
        box = nullptr;
        onChange = nullptr;
    };
    type(L"x");   // the deletion's ValueChange takes the box away before the insertion
    EXPECT_EQ(box, nullptr);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(window->input().focused(), nullptr);
    type(L"y");   // nobody has the focus: dropped
    EXPECT_EQ(changes, 1);
}

TEST_F(TextBoxTest, WithoutTheSkinsFontTheStockGuiFontMeasures)
{
    // no style package: "Default" is missing
    EXPECT_GT(box->textHeight(), 0);
    EXPECT_EQ(box->measureOverride({200, 100}).height, box->textHeight() + 10);
    setText(L"W");
    EXPECT_GT(box->xOfIndex(1), box->xOfIndex(0));
}
