// The combo box's drop-down in real windows: where it opens and how high, choosing items, the ways
// its loop ends (a choice, Escape, losing activation, a failing script, a quit request, a close
// from another thread), that it keeps the message after its end, and the focus afterwards.
#include "TestSupport.h"

#include <Canvas.h>
#include <ComboBox.h>
#include <ComboHelperWnd.h>
#include <ListBox.h>
#include <ListItem.h>
#include <ModalLoopGuard.h>
#include <StackPanel.h>
#include <Toolkit.h>
#include <WindowImpl.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

// Steps run one after another from a thread timer, which the popup's loop dispatches.
std::vector<std::function<void()>> steps;
size_t nextStep = 0;
UINT_PTR stepTimer = 0;

void CALLBACK runStep(HWND, UINT, UINT_PTR, DWORD)
{
    if (nextStep >= steps.size()) {
        KillTimer(nullptr, stepTimer);
        stepTimer = 0;
        return;
    }
    steps[nextStep++]();
}

// Closes a popup that no step closed, so that a broken loop fails the test instead of hanging it.
ComboHelperWnd* watched = nullptr;
bool watchdogFired = false;
UINT_PTR watchdog = 0;

void CALLBACK closeWatched(HWND, UINT, UINT_PTR, DWORD)
{
    KillTimer(nullptr, watchdog);
    watchdog = 0;
    watchdogFired = true;
    if (watched)
        watched->close();
}

int valueChanges = 0;
void countChange(void*, Control*, ControlEvent*)
{
    ++valueChanges;
}

// A window that counts WM_APP: the message the drop-down's loop must not swallow.
class Counter : public WindowBase {
public:
    LRESULT handleMessage(UINT message, WPARAM wparam, LPARAM lparam) override
    {
        if (message == WM_APP)
            ++received;
        return WindowBase::handleMessage(message, wparam, lparam);
    }
    int received = 0;
};

LPARAM at(int x, int y)
{
    return MAKELPARAM(WORD(int16_t(x)), WORD(int16_t(y)));
}

} // namespace

class ComboBoxTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Toolkit::start());
        valueChanges = 0;
        watchdogFired = false;
    }
    void TearDown() override
    {
        setScriptHooks(nullptr);
        if (window && IsWindow(handle))
            DestroyWindow(handle);
        pump();
        Toolkit::shutdown();
    }

    // A 300 × 200 window at (x, y) with a combo box of `items` items at (10, 10, 160, 40).
    void open(int x, int y, int items, const std::wstring& text = L"item 1")
    {
        if (window && IsWindow(handle))
            DestroyWindow(handle);
        auto* root = new Canvas;
        root->sizeProperties.set(PropertyKey::initSize, Size{300, 200});
        combo = new ComboBox;
        combo->intProperties.set(PropertyKey::x, 10);
        combo->intProperties.set(PropertyKey::y, 10);
        combo->intProperties.set(PropertyKey::width, 150);
        combo->intProperties.set(PropertyKey::height, 30);
        combo->textProperties.set(PropertyKey::text, text);
        combo->addHandler(EventCode::ValueChange, nullptr, countChange);
        root->addChild(combo);
        for (int i = 0; i < items; ++i)
            ASSERT_TRUE(combo->addItem(L"item " + std::to_wstring(i)));
        window = new WindowImpl;
        window->setRoot(std::unique_ptr<Control>(root));
        ASSERT_TRUE(window->create(L"combo test", WS_POPUP, x, y, 0, 0));
        handle = window->hwnd;
        ShowWindow(handle, SW_SHOW);
        SetForegroundWindow(handle);
        SetActiveWindow(handle);
        pump();
    }
    // Drops the list down and runs the steps from inside its loop, 30 ms apart; true when the
    // loop ended before the watchdog had to close it.
    bool drop(std::vector<std::function<void()>> run)
    {
        steps = std::move(run);
        nextStep = 0;
        watched = combo->popup();
        stepTimer = SetTimer(nullptr, 0, 30, runStep);
        watchdog = SetTimer(nullptr, 0, 5000, closeWatched);
        combo->open();
        if (stepTimer)
            KillTimer(nullptr, stepTimer);
        if (watchdog)
            KillTimer(nullptr, watchdog);
        stepTimer = watchdog = 0;
        watched = nullptr;
        return !watchdogFired;
    }
    static void pump() { testing_support::pumpMessages(); }
    HWND popupWindow() const { return combo->popup() ? combo->popup()->hwnd : nullptr; }
    // Posts a click on item `index` of the open list (unscrolled).
    void clickItem(int index)
    {
        const int y = 2 + index * ComboBox::kItemHeight + 12;
        PostMessageW(popupWindow(), WM_LBUTTONDOWN, MK_LBUTTON, at(20, y));
        PostMessageW(popupWindow(), WM_LBUTTONUP, 0, at(20, y));
    }
    void postKey(WPARAM key) { PostMessageW(popupWindow(), WM_KEYDOWN, key, 1); }
    std::wstring text() const { return combo->textProperties.value(PropertyKey::text, L""); }

    WindowImpl* window = nullptr;   // not owned: it goes with its window
    HWND handle = nullptr;
    ComboBox* combo = nullptr;      // not owned: in the window's tree
};

TEST_F(ComboBoxTest, OpensBelowOrAboveAsHighAsItsItems)
{
    const int screen = GetSystemMetrics(SM_CYSCREEN);
    const struct {
        int windowY, items;
        bool below;
        int top, height;   // top relative to the box's screen top
    } cases[] = {
        {100, 10, true, 30, 148},          // six rows show, the rest scrolls
        {100, 2, true, 30, 52},
        {100, 0, true, 30, 4},
        {screen - 60, 2, false, -52, 52},   // near the bottom: above the box
        {screen - 60, 10, false, -148, 148},
    };
    for (const auto& c : cases) {
        open(100, c.windowY, c.items);
        RECT placed{};
        bool visible = false, active = false, listFocused = false;
        ASSERT_TRUE(drop({[&] {
            GetWindowRect(popupWindow(), &placed);
            visible = IsWindowVisible(popupWindow());
            active = GetActiveWindow() == popupWindow();
            listFocused = combo->popup()->focusedControl() == combo->popup()->list;
            postKey(VK_ESCAPE);
        }}));
        const std::string what = std::to_string(c.items) + " items at " + std::to_string(c.windowY);
        EXPECT_TRUE(visible && active && listFocused) << what;
        EXPECT_EQ(placed.left, 110) << what;
        EXPECT_EQ(placed.right, 260) << what;
        EXPECT_EQ(placed.top, c.windowY + 10 + c.top) << what;
        EXPECT_EQ(placed.bottom - placed.top, c.height) << what;
        EXPECT_EQ(combo->popup()->droppedDown, c.below) << what;
        EXPECT_FALSE(IsWindowVisible(popupWindow())) << what;
        EXPECT_EQ(GetFocus(), handle) << what << ": the focus is back with the box's window";
        EXPECT_EQ(text(), L"item 1");
    }
    EXPECT_EQ(valueChanges, 0);
}

// Alt+F4 goes to the popup while the list is down: the list closes, and it keeps its items for
// the next time.
TEST_F(ComboBoxTest, AltF4ClosesTheListAndKeepsItsItems)
{
    open(100, 100, 4);
    HWND popup = popupWindow();
    ASSERT_TRUE(drop({[&] {
        PostMessageW(popupWindow(), WM_SYSKEYDOWN, VK_F4, LPARAM(1) | (LPARAM(1) << 29));
    }}));
    ASSERT_TRUE(IsWindow(popup)) << "the popup window lives on";
    ASSERT_EQ(popupWindow(), popup);
    EXPECT_FALSE(IsWindowVisible(popup));
    EXPECT_EQ(combo->itemCount(), 4);
    EXPECT_TRUE(IsWindow(handle)) << "the box's window is not closed either";
    ASSERT_TRUE(drop({[&] { clickItem(2); }}));
    EXPECT_EQ(text(), L"item 2");
}

TEST_F(ComboBoxTest, ChoosingCopiesTheTextAndOnlyAChangeIsAnnounced)
{
    open(100, 100, 4);
    ASSERT_TRUE(drop({[&] { clickItem(1); }}));
    EXPECT_EQ(valueChanges, 0) << "the item already shown";
    EXPECT_FALSE(IsWindowVisible(popupWindow()));
    EXPECT_EQ(GetFocus(), handle);

    ASSERT_TRUE(drop({[&] { clickItem(3); }}));
    EXPECT_EQ(text(), L"item 3");
    EXPECT_EQ(valueChanges, 1);

    // the keys: the shown item opens selected; down one and Enter
    ASSERT_TRUE(drop({[&] {
        EXPECT_EQ(combo->popup()->list->selectedText(), L"item 3");
        postKey(VK_UP);
        postKey(VK_RETURN);
    }}));
    EXPECT_EQ(text(), L"item 2");
    EXPECT_EQ(valueChanges, 2);

    // another window activated (a click elsewhere): closed, unchanged
    ASSERT_TRUE(drop({[&] { SetActiveWindow(handle); }}));
    EXPECT_FALSE(IsWindowVisible(popupWindow()));
    EXPECT_EQ(text(), L"item 2");
    EXPECT_EQ(valueChanges, 2);
}

TEST_F(ComboBoxTest, LoopKeepsTheMessageAfterItsEndAndWakesWhenClosedFromElsewhere)
{
    open(100, 100, 3);
    auto* counter = new Counter;
    ASSERT_TRUE(counter->create(L"counter", WS_POPUP, 0, 0, 1, 1));
    const HWND counterWindow = counter->hwnd;

    // the message queued behind the choice is still there for the loop outside
    ASSERT_TRUE(drop({[&] {
        PostMessageW(counterWindow, WM_APP, 0, 0);
        combo->popup()->list->select(static_cast<ListItem*>(combo->popup()->list->itemPanel()->childAt(2)), true);
    }}));
    EXPECT_EQ(text(), L"item 2");
    pump();
    EXPECT_EQ(counter->received, 1);
    DestroyWindow(counterWindow);

    // Escape sent from another thread is handled inside the wait for the next message: only the
    // wake-up lets the loop see it has been closed
    std::thread sender;
    const DWORD before = GetTickCount();
    ASSERT_TRUE(drop({[&] {
        KillTimer(nullptr, stepTimer);
        stepTimer = 0;
        HWND popup = popupWindow();
        sender = std::thread([popup] { SendMessageW(popup, WM_KEYDOWN, VK_ESCAPE, 1); });
    }}));
    sender.join();
    EXPECT_LT(GetTickCount() - before, 3000u);
    EXPECT_EQ(text(), L"item 2");

    // destroyed by another thread's close request while open: the loop ends, the box forgets the
    // popup and makes a new one next time
    ASSERT_TRUE(drop({[&] {
        KillTimer(nullptr, stepTimer);
        stepTimer = 0;
        HWND popup = popupWindow();
        watched = nullptr;
        sender = std::thread([popup] { SendMessageW(popup, WM_CLOSE, 0, 0); });
    }}));
    sender.join();
    EXPECT_EQ(combo->popup(), nullptr);
    ASSERT_TRUE(combo->addItem(L"again"));
    ASSERT_TRUE(drop({[&] { clickItem(0); }}));
    EXPECT_EQ(text(), L"again");
}

TEST_F(ComboBoxTest, FailingScriptsAndQuitRequestsEndTheLoop)
{
    static std::vector<std::string> guards;
    static ModalLoopGuard::EndLoop endLoop = nullptr;
    static void* endContext = nullptr;
    guards.clear();
    static ScriptHooks hooks;
    hooks.openLoop = [](ModalLoopGuard::EndLoop end, void* context) -> void* {
        guards.push_back("open");
        endLoop = end;
        endContext = context;
        return &guards;
    };
    hooks.closeLoop = [](void* scope) {
        EXPECT_EQ(scope, &guards);
        guards.push_back("close");
    };
    setScriptHooks(&hooks);
    open(100, 100, 3);
    ASSERT_TRUE(drop({[&] {
        ASSERT_EQ(guards, std::vector<std::string>{"open"});
        endLoop(endContext);
    }}));
    EXPECT_EQ(guards, (std::vector<std::string>{"open", "close"}));
    EXPECT_FALSE(IsWindowVisible(popupWindow()));
    EXPECT_EQ(text(), L"item 1");

    // a quit request ends the loop and is posted again for the loop outside
    ASSERT_TRUE(drop({[&] { PostQuitMessage(7); }}));
    MSG message{};
    ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 7u);
}
