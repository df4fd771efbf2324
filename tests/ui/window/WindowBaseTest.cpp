// Native windows in-process: binding through the creation hook (also after failed creations) and
// the modal loop: its end codes, nested loops, the messages around its end, owners and refusals.
#include <WindowBase.h>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

// A window whose messages a test can watch and answer.
class ProbeWindow : public WindowBase {
public:
    std::function<LRESULT(UINT, WPARAM, LPARAM, bool&)> onMessage;
    HWND seenAtCreate = nullptr;
    bool* deleted = nullptr;

    ~ProbeWindow() override
    {
        if (deleted)
            *deleted = true;
    }
    LRESULT handleMessage(UINT message, WPARAM wparam, LPARAM lparam) override
    {
        if (message == WM_CREATE)
            seenAtCreate = hwnd;
        bool handled = false;
        if (onMessage) {
            LRESULT result = onMessage(message, wparam, lparam, handled);
            if (handled)
                return result;
        }
        return WindowBase::handleMessage(message, wparam, lparam);
    }
};

// A private message that runs a queued step inside the loop under test.
constexpr UINT kStep = WM_APP + 7;

ProbeWindow* makeWindow(bool* deleted = nullptr)
{
    auto* window = new ProbeWindow;
    window->deleted = deleted;
    EXPECT_TRUE(window->create(L"probe", WS_POPUP, 0, 0, 40, 30));
    return window;
}

// Ends a loop that would otherwise wait for input that never comes, so that a fault fails the
// test instead of hanging it: a quit request after `ms`.
class Watchdog {
public:
    explicit Watchdog(UINT ms) : timer_(SetTimer(nullptr, 0, ms, fire)) {}
    ~Watchdog() { KillTimer(nullptr, timer_); }

private:
    static void CALLBACK fire(HWND, UINT, UINT_PTR id, DWORD)
    {
        KillTimer(nullptr, id);
        PostQuitMessage(99);
    }
    UINT_PTR timer_;
};

void drainQuit()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

} // namespace

TEST(WindowBase, BindsBeforeTheFirstMessageUnderOneClass)
{
    bool deleted = false;
    ProbeWindow* window = makeWindow(&deleted);
    HWND handle = window->hwnd;
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(window->seenAtCreate, handle) << "WM_CREATE already reaches the object";
    EXPECT_EQ(WindowBase::fromHandle(handle), window);
    wchar_t name[32] = {};
    GetClassNameW(handle, name, 32);
    EXPECT_STREQ(name, L"WINDOW:234:000");
    DestroyWindow(handle);
    EXPECT_TRUE(deleted) << "the object goes with its window";
    EXPECT_EQ(WindowBase::fromHandle(handle), nullptr);
}

TEST(WindowBase, AFailedCreationLeavesTheObjectToItsMakerAndTheNextWindowBindsToItsOwn)
{
    // refused by its own WM_CREATE: unbound, alive, the caller's to delete
    bool deleted = false;
    auto* refused = new ProbeWindow;
    refused->deleted = &deleted;
    refused->onMessage = [](UINT message, WPARAM, LPARAM, bool& handled) -> LRESULT {
        handled = message == WM_CREATE;
        return -1;
    };
    EXPECT_FALSE(refused->create(L"refused", WS_POPUP, 0, 0, 10, 10));
    EXPECT_FALSE(deleted);
    EXPECT_EQ(refused->hwnd, nullptr);
    delete refused;

    // refused by the platform before it announces the window (a child without a parent)
    auto* early = new ProbeWindow;
    EXPECT_FALSE(early->create(L"early", WS_CHILD, 0, 0, 10, 10));
    EXPECT_EQ(early->hwnd, nullptr);
    delete early;

    // a creation hook left behind would bind this window to one of the objects above
    ProbeWindow* next = makeWindow();
    ASSERT_NE(next->hwnd, nullptr);
    EXPECT_EQ(WindowBase::fromHandle(next->hwnd), next);
    EXPECT_EQ(next->seenAtCreate, next->hwnd);
    DestroyWindow(next->hwnd);
}

TEST(WindowBase, TheDialogEndsWithItsCodeAfterDeliveringEveryMessageItFetched)
{
    bool deleted = false;
    ProbeWindow* window = makeWindow(&deleted);
    HWND handle = window->hwnd;
    int laterSteps = 0;
    bool visibleInLoop = false;
    window->onMessage = [&](UINT message, WPARAM wparam, LPARAM, bool& handled) -> LRESULT {
        if (message != kStep)
            return 0;
        handled = true;
        if (wparam == 0) {
            visibleInLoop = IsWindowVisible(handle) != FALSE;
            // a close request posted to the dialog is ignored, also as a system command
            PostMessageW(handle, WM_CLOSE, 0, 0);
            PostMessageW(handle, WM_SYSCOMMAND, SC_CLOSE, 0);
            PostMessageW(handle, kStep, 1, 0);
        } else if (wparam == 1) {
            // queued before the end: it must be delivered (a deferred Click, say), not dropped
            PostThreadMessageW(GetCurrentThreadId(), kStep, 2, 0);
            window->endDialog(3);
        }
        return 0;
    };
    PostMessageW(handle, kStep, 0, 0);
    Watchdog watchdog(5000);
    EXPECT_EQ(window->showDialog(nullptr), 3);
    EXPECT_TRUE(visibleInLoop);
    EXPECT_TRUE(deleted) << "the window is destroyed before showDialog returns";
    EXPECT_FALSE(IsWindow(handle));
    MSG message;
    while (PeekMessageW(&message, nullptr, kStep, kStep, PM_REMOVE))
        laterSteps += message.wParam == 2;
    EXPECT_EQ(laterSteps, 1) << "the message queued before the end is still there for the next loop";
    drainQuit();
}

TEST(WindowBase, EndedFromANestedLoopTheDialogLeavesWithoutWaitingForInput)
{
    ProbeWindow* outer = makeWindow();
    ProbeWindow* inner = makeWindow();
    int innerResult = -1;
    outer->onMessage = [&](UINT message, WPARAM, LPARAM, bool& handled) -> LRESULT {
        if (message == kStep) {
            handled = true;
            innerResult = inner->showDialog(outer->hwnd);   // a box over the dialog, say
        }
        return 0;
    };
    inner->onMessage = [&](UINT message, WPARAM, LPARAM, bool& handled) -> LRESULT {
        if (message == kStep) {
            handled = true;
            // the outer loop's wake-up is eaten by this loop
            outer->endDialog(7);
            inner->endDialog(1);
        }
        return 0;
    };
    PostMessageW(outer->hwnd, kStep, 0, 0);
    PostMessageW(inner->hwnd, kStep, 0, 0);
    Watchdog watchdog(3000);   // the fault would end this loop with the watchdog's 0 instead
    EXPECT_EQ(outer->showDialog(nullptr), 7);
    EXPECT_EQ(innerResult, 1);
    drainQuit();
}

TEST(WindowBase, TheOwnerIsDisabledMeanwhileAndAWindowIsNeverItsOwnOwner)
{
    ProbeWindow* owner = makeWindow();
    HWND ownerHandle = owner->hwnd;
    ProbeWindow* dialog = makeWindow();
    bool ownerEnabledMeanwhile = true, selfEnabledMeanwhile = false;
    int again = -1;
    dialog->onMessage = [&](UINT message, WPARAM, LPARAM, bool& handled) -> LRESULT {
        if (message == kStep) {
            handled = true;
            ownerEnabledMeanwhile = IsWindowEnabled(ownerHandle) != FALSE;
            again = dialog->showDialog(nullptr);   // its loop runs already: refused at once
            dialog->endDialog(2);
        }
        return 0;
    };
    PostMessageW(dialog->hwnd, kStep, 0, 0);
    Watchdog watchdog(5000);
    EXPECT_EQ(dialog->showDialog(ownerHandle), 2);
    EXPECT_FALSE(ownerEnabledMeanwhile);
    EXPECT_EQ(again, 0);
    EXPECT_TRUE(IsWindowEnabled(ownerHandle)) << "the owner gets its enabled state back";

    // its own owner: ignored, or the dialog would disable itself
    ProbeWindow* self = makeWindow();
    self->onMessage = [&](UINT message, WPARAM, LPARAM, bool& handled) -> LRESULT {
        if (message == kStep) {
            handled = true;
            selfEnabledMeanwhile = IsWindowEnabled(self->hwnd) != FALSE;
            self->endDialog(5);
        }
        return 0;
    };
    PostMessageW(self->hwnd, kStep, 0, 0);
    EXPECT_EQ(self->showDialog(self->hwnd), 5);
    EXPECT_TRUE(selfEnabledMeanwhile);
    DestroyWindow(ownerHandle);
    drainQuit();
}

TEST(WindowBase, AQuitRequestEndsTheDialogWithZeroAndIsPostedAgain)
{
    ProbeWindow* window = makeWindow();
    PostQuitMessage(42);
    EXPECT_EQ(window->showDialog(nullptr), 0);
    MSG message;
    ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the enclosing loop sees it";
    EXPECT_EQ(message.wParam, 42u);
}

TEST(WindowBase, ADialogDestroyedUnderItsLoopOrStoppedFromOutsideEndsWithZero)
{
    // a close request sent, not posted: the platform destroys the window under the loop
    bool deleted = false;
    ProbeWindow* window = makeWindow(&deleted);
    HWND handle = window->hwnd;
    window->onMessage = [&](UINT message, WPARAM, LPARAM, bool& handled) -> LRESULT {
        if (message == kStep) {
            handled = true;
            SendMessageW(handle, WM_CLOSE, 0, 0);
        }
        return 0;
    };
    PostMessageW(handle, kStep, 0, 0);
    Watchdog watchdog(5000);
    EXPECT_EQ(window->showDialog(nullptr), 0);
    EXPECT_TRUE(deleted);

    // the stop flag (a script failure) ends the loop after the message that raised it
    bool stop = false;
    ProbeWindow* stopped = makeWindow();
    stopped->onMessage = [&](UINT message, WPARAM, LPARAM, bool& handled) -> LRESULT {
        if (message == kStep) {
            handled = true;
            stop = true;
        }
        return 0;
    };
    PostMessageW(stopped->hwnd, kStep, 0, 0);
    EXPECT_EQ(stopped->showDialog(nullptr, &stop), 0);
    drainQuit();
}
