// Keyboard use of a host window in-process: the Tab order rules, Space, Enter and Escape through
// the same deferred Click as the mouse, and the focus cue that only the keyboard turns on.
#include "TestSupport.h"
#include "ui/core/Place.h"

#include <AccessibleTree.h>
#include <Button.h>
#include <Canvas.h>
#include <CheckBox.h>
#include <KeyboardKeys.h>
#include <Label.h>
#include <ProgressBar.h>
#include <PropertyKey.h>
#include <RadioButton.h>
#include <TextBox.h>
#include <Toolkit.h>
#include <WindowImpl.h>

#include <gtest/gtest.h>
#include <oleacc.h>

#include <map>
#include <string>
#include <vector>

namespace {

Canvas* canvas(int width, int height)
{
    auto* canvas = new Canvas;
    canvas->intProperties.set(PropertyKey::width, width);
    canvas->intProperties.set(PropertyKey::height, height);
    return canvas;
}

std::map<Control*, int> clicks;

void countClick(void* target, Control*, ControlEvent*)
{
    ++clicks[static_cast<Control*>(target)];
}

class KeyboardTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Toolkit::start());
        clicks.clear();
        // A page of every kind of control, a hidden page, and controls outside the pages:
        //   page:   label, ok, agree (check box), link (a label given tabIndex 0), one/two/three
        //           (radio group, two checked),
        //           path (text box), off (disabled button), bar (progress bar)
        //   hidden: secret
        //   root:   close, skipped (tabIndex -1)
        root = canvas(400, 300);
        page = place(root, canvas(400, 200), 0, 0, 400, 200);
        place(page, new Label, 0, 0);
        ok = place(page, new Button, 10, 10);
        agree = place(page, new CheckBox, 80, 10);
        link = place(page, new Label, 150, 10);
        link->intProperties.set(KeyboardKey::tabIndex, 0);
        one = place(page, new RadioButton, 10, 40);
        two = place(page, new RadioButton, 80, 40);
        three = place(page, new RadioButton, 150, 40);
        path = place(page, new TextBox, 10, 70, 200, 24);
        off = place(page, new Button, 10, 100);
        place(page, new ProgressBar, 10, 130, 200, 8);
        hidden = place(root, canvas(400, 200), 0, 0, 400, 200);
        secret = place(hidden, new Button, 10, 10);
        close = place(root, new Button, 360, 4, 32, 32);
        skipped = place(root, new Button, 300, 4, 32, 32);

        off->writeFlags(Flag::enabled, false);
        hidden->writeFlags(Flag::visible, false);
        two->writeFlags(Flag::checked, true);
        skipped->intProperties.set(KeyboardKey::tabIndex, -1);
        close->intProperties.set(PropertyKey::id, 5000);
        root->intProperties.set(KeyboardKey::closeButton, 5000);
        for (Control* button : {ok, agree, one, two, three, close, skipped})
            button->addHandler(EventCode::Click, button, countClick);

        window = new WindowImpl;
        window->setRoot(std::unique_ptr<Control>(root));
        ASSERT_TRUE(window->create(L"keyboard test", WS_POPUP, 900, 500, 0, 0));
        handle = window->hwnd;
        ShowWindow(handle, SW_SHOWNOACTIVATE);
        pump();
    }
    void TearDown() override
    {
        holdShift(false);
        if (IsWindow(handle))
            DestroyWindow(handle);
        Toolkit::shutdown();
    }

    static void pump() { testing_support::pumpMessages(); }
    // The thread's key state, which the window reads for Shift.
    static void holdShift(bool down)
    {
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[VK_SHIFT] = down ? 0x80 : 0;
        SetKeyboardState(keys);
    }
    // A key as the message loop delivers it: down, its character, up.
    void key(WPARAM vk, wchar_t character = 0)
    {
        SendMessageW(handle, WM_KEYDOWN, vk, 1);
        if (character)
            SendMessageW(handle, WM_CHAR, character, 1);
        SendMessageW(handle, WM_KEYUP, vk, 1 | (1u << 30) | (1u << 31));
        pump();   // the deferred Click, if any
    }
    void tab(bool backward = false)
    {
        holdShift(backward);
        key(VK_TAB, L'\t');
        holdShift(false);
    }

    Canvas* root = nullptr;
    Canvas* page = nullptr;
    Canvas* hidden = nullptr;
    Button *ok = nullptr, *agree = nullptr, *one = nullptr, *two = nullptr, *three = nullptr, *off = nullptr;
    Button *secret = nullptr, *close = nullptr, *skipped = nullptr;
    Label* link = nullptr;
    TextBox* path = nullptr;
    WindowImpl* window = nullptr;   // not owned: it goes with its window
    HWND handle = nullptr;
};

} // namespace

TEST_F(KeyboardTest, TabVisitsTheUsableStopsOfTheShownPagesInOrder)
{
    std::map<Control*, std::string> names = {{nullptr, "nothing"}, {ok, "ok"}, {agree, "agree"}, {link, "link"}, {one, "one"},
                                             {two, "two"}, {three, "three"}, {path, "path"}, {close, "close"},
                                             {skipped, "skipped"}, {secret, "secret"}, {off, "off"}};
    struct Row {
        const char* rule;
        Control* from;
        bool backward;
        Control* expected;
        int closeIndex;   // tabIndex of close for this row (0: none)
    };
    const Row rows[] = {
        {"from nothing, the first stop; labels are none", nullptr, false, ok, 0},
        {"buttons and check boxes are stops", ok, false, agree, 0},
        {"a label given a tabIndex is a stop", agree, false, link, 0},
        {"a radio group is one stop: its checked button", link, false, two, 0},
        {"leaving the group from any of its buttons", one, false, path, 0},
        {"disabled, progress bars and hidden pages are skipped", path, false, close, 0},
        {"wrapping; a negative tabIndex is out", close, false, ok, 0},
        {"Shift+Tab from nothing, the last stop", nullptr, true, close, 0},
        {"Shift+Tab wraps", ok, true, close, 0},
        {"Shift+Tab into a group: its checked button", path, true, two, 0},
        {"a positive tabIndex comes first", nullptr, false, close, 1},
        {"then document order", close, false, ok, 1},
        {"and Shift+Tab wraps back to it", ok, true, close, 1},
    };
    for (const Row& row : rows) {
        close->intProperties.set(KeyboardKey::tabIndex, row.closeIndex);
        window->setFocus(row.from);
        tab(row.backward);
        EXPECT_EQ(names[window->focusedControl()], names[row.expected]) << row.rule;
    }

    // the arrows move inside the group and choose as they go, as a click would
    window->setFocus(two);
    key(VK_DOWN);
    EXPECT_EQ(window->focusedControl(), three);
    EXPECT_EQ(clicks[three], 1);
    EXPECT_TRUE(three->hasFlags(Flag::checked));
    key(VK_DOWN);
    EXPECT_EQ(window->focusedControl(), one) << "the group wraps";

    // a focused control that is hidden gives up the focus; Tab then starts again
    window->setFocus(agree);
    page->setVisible(false);
    EXPECT_EQ(window->focusedControl(), nullptr);
    tab();
    EXPECT_EQ(window->focusedControl(), close);

    // a text box reached by Tab has its text selected, and the Tab character is nobody's text
    page->setVisible(true);
    path->setText(L"C:\\old");
    window->setFocus(two);
    tab();
    ASSERT_EQ(window->focusedControl(), path);
    EXPECT_EQ(path->text(), L"C:\\old");
    EXPECT_EQ(path->anchor(), 0);
    EXPECT_EQ(path->caret(), 6);
}

TEST_F(KeyboardTest, SpaceEnterAndEscapeClickThroughTheDeferredPathOnlyWhereTheyShould)
{
    window->setFocus(agree);
    // Space: pressed on the way down, clicked on the way up
    SendMessageW(handle, WM_KEYDOWN, VK_SPACE, 1);
    SendMessageW(handle, WM_CHAR, L' ', 1);
    pump();
    EXPECT_TRUE(agree->hasFlags(Flag::keyPressed)) << "drawn pressed while Space is down";
    EXPECT_EQ(clicks[agree], 0);
    SendMessageW(handle, WM_KEYUP, VK_SPACE, 1 | (1u << 30) | (1u << 31));
    EXPECT_EQ(clicks[agree], 0) << "Click is posted, as the mouse's";
    pump();
    EXPECT_FALSE(agree->hasFlags(Flag::keyPressed));
    EXPECT_EQ(clicks[agree], 1);
    EXPECT_TRUE(agree->hasFlags(Flag::checked)) << "the check box's own Click handler toggled it";

    // Space let go after the focus moved on clicks nothing
    SendMessageW(handle, WM_KEYDOWN, VK_SPACE, 1);
    window->setFocus(ok);
    SendMessageW(handle, WM_KEYUP, VK_SPACE, 1 | (1u << 30) | (1u << 31));
    pump();
    EXPECT_EQ(clicks[agree], 1);
    EXPECT_EQ(clicks[ok], 0);
    EXPECT_FALSE(agree->hasFlags(Flag::keyPressed));

    // Enter at once; a script that claims the key in preview keeps it
    key(VK_RETURN, L'\r');
    EXPECT_EQ(clicks[ok], 1);
    bool claimed = true;
    auto claim = [](void* on, Control*, ControlEvent* event) {
        if (*static_cast<bool*>(on))
            event->handled = 1;
    };
    ok->addHandler(EventCode::PrevKeyDown, &claimed, claim);
    key(VK_RETURN, L'\r');
    tab();
    EXPECT_EQ(clicks[ok], 1);
    EXPECT_EQ(window->focusedControl(), ok) << "Tab claimed in preview moves nothing";
    claimed = false;

    // in a text box Space and Enter are text, and the Tab character never arrives
    std::vector<WPARAM> typed;
    auto note = [](void* list, Control*, ControlEvent* event) {
        static_cast<std::vector<WPARAM>*>(list)->push_back(event->wparam);
    };
    path->addHandler(EventCode::PrevKeyPress, &typed, note);
    window->setFocus(path);
    key(VK_SPACE, L' ');
    key(VK_TAB, L'\t');
    EXPECT_EQ(typed, (std::vector<WPARAM>{L' '}));
    EXPECT_EQ(path->text(), L" ");

    // Enter on a label made a stop is the press the mouse would give it
    int presses = 0;
    auto pressed = [](void* count, Control*, ControlEvent*) { ++*static_cast<int*>(count); };
    link->addHandler(EventCode::LButtonDown, &presses, pressed);
    window->setFocus(link);
    key(VK_RETURN, L'\r');
    key(VK_SPACE, L' ');
    EXPECT_EQ(presses, 1) << "Space is a button's key";

    // Escape presses the window's close button, from anywhere, and only while it can be used
    key(VK_ESCAPE, 27);
    EXPECT_EQ(clicks[close], 1);
    close->setVisible(false);
    key(VK_ESCAPE, 27);
    EXPECT_EQ(clicks[close], 1);
    EXPECT_EQ(clicks[ok], 1);
}

// A label a script made clickable (the licence link of the installer) is a link to screen readers;
// a keyboard user must reach it as well: focusable means a stop by kind or by markup for both.
TEST_F(KeyboardTest, WhatScreenReadersCallFocusableIsWhatTabReaches)
{
    struct Row {
        const char* what;
        bool clickable;   // mouseTransparent cleared, as UI.lua does
        int tabIndex;     // -2: none
        bool stop;        // Tab reaches it
        bool focusable;   // as screen readers hear it
        LONG role;
    };
    const Row rows[] = {
        {"a plain label", false, -2, false, false, ROLE_SYSTEM_STATICTEXT},
        {"a label a script made clickable", true, -2, true, true, ROLE_SYSTEM_LINK},
        {"a label markup gave a tabIndex", false, 0, true, true, ROLE_SYSTEM_STATICTEXT},
        {"a link markup took out of the order stays focusable, as a button does", true, -1, false, true,
         ROLE_SYSTEM_LINK},
    };
    Label* previous = nullptr;
    for (const Row& row : rows) {
        if (previous)
            previous->setVisible(false);
        auto* label = place(page, new Label, 220, 130, 80, 20);
        previous = label;
        label->textProperties.set(PropertyKey::text, L"licence");
        label->writeFlags(Flag::mouseTransparent, !row.clickable);
        if (row.tabIndex != -2)
            label->intProperties.set(KeyboardKey::tabIndex, row.tabIndex);
        window->setFocus(path);
        tab();
        EXPECT_EQ(window->focusedControl() == label, row.stop) << row.what;
        EXPECT_EQ((accessible::state(label, window) & STATE_SYSTEM_FOCUSABLE) != 0, row.focusable)
            << row.what;
        EXPECT_EQ(accessible::role(label), row.role) << row.what;
        if (row.clickable && row.stop) {
            // Enter gives it the press the mouse would
            int presses = 0;
            auto pressed = [](void* count, Control*, ControlEvent*) { ++*static_cast<int*>(count); };
            label->addHandler(EventCode::LButtonDown, &presses, pressed);
            key(VK_RETURN, L'\r');
            EXPECT_EQ(presses, 1) << row.what;
        }
    }
}

TEST_F(KeyboardTest, TheFocusCueShowsOnlyOnceTheKeyboardMovedTheFocus)
{
    window->setFocus(path);   // as a click into the text box does
    EXPECT_FALSE(path->hasFlags(Flag::focusCue));
    EXPECT_FALSE(window->input().focusCuesShown());
    tab();
    EXPECT_TRUE(window->input().focusCuesShown());
    EXPECT_TRUE(close->hasFlags(Flag::focusCue));
    EXPECT_FALSE(path->hasFlags(Flag::focusCue));
    window->setFocus(agree);   // from now on every focus shows it
    EXPECT_TRUE(agree->hasFlags(Flag::focusCue));
    EXPECT_FALSE(close->hasFlags(Flag::focusCue));
    SendMessageW(handle, WM_KILLFOCUS, 0, 0);
    EXPECT_FALSE(agree->hasFlags(Flag::focusCue)) << "an inactive window shows no cue";
    SendMessageW(handle, WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_TRUE(agree->hasFlags(Flag::focusCue));
    EXPECT_FALSE(agree->writeFlags(Flag::focusCue, false)) << "the cue is the window's, not a script's";
}
