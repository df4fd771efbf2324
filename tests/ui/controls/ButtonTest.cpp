// The button family's reactions to Click and the press-and-release rule, with a stand-in window:
// which class toggles, checks or ignores a Click and when ValueChange goes out; a release counts
// only while the button holds the capture and the pointer is on it. Real presses are in the
// end-to-end scenario.
#include "ui/core/FakeHost.h"

#include <Button.h>
#include <Canvas.h>
#include <CheckBox.h>
#include <IconButton.h>
#include <ImageButton.h>
#include <RadioButton.h>
#include <TestSupport.h>
#include <ToggleButton.h>
#include <ToggleIconButton.h>
#include <Toolkit.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

class ButtonFamily : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Toolkit::start());
        root = new Canvas;
        root->rect = {0, 0, 400, 300};
        host.attachRoot(root);
    }
    void TearDown() override
    {
        host.detachRoot(root);
        delete root;
        Toolkit::shutdown();
    }

    // Adds the button at (10, 10, 90, 40) and logs "checked"/"unchecked" on its ValueChange and
    // "click <checked>" on Click, the latter registered after the class's own handlers.
    Control* add(Control* button)
    {
        button->rect = {10, 10, 90, 40};
        root->addChild(button);
        button->addHandler(EventCode::ValueChange, this, logChange);
        button->addHandler(EventCode::Click, this, logClick);
        return button;
    }
    static void logChange(void* self, Control* c, ControlEvent*)
    {
        static_cast<ButtonFamily*>(self)->log.push_back(c->hasFlags(Flag::checked) ? "checked" : "unchecked");
    }
    static void logClick(void* self, Control* c, ControlEvent*)
    {
        static_cast<ButtonFamily*>(self)->log.push_back(std::string("click ") + (c->hasFlags(Flag::checked) ? "1" : "0"));
    }
    static void click(Control* c)
    {
        ControlEvent event;
        event.code = EventCode::Click;
        event.direction = Direct;
        c->dispatch(event);
    }
    // Runs the deferred calls (posted Clicks) of the toolkit.
    static void pump()
    {
        testing_support::pumpMessagesUntil([] { return false; }, 100);
    }

    FakeHost host;
    Canvas* root = nullptr;
    std::vector<std::string> log;
};

using Log = std::vector<std::string>;

} // namespace

TEST_F(ButtonFamily, EachClassReactsToClickItsOwnWay)
{
    struct Case {
        const char* what;
        std::function<Control*()> make;
        Log twoClicks;
    };
    const Case cases[] = {
        {"Button", [] { return new Button; }, {"click 0", "click 0"}},
        {"ImageButton", [] { return new ImageButton; }, {"click 0", "click 0"}},
        {"IconButton", [] { return new IconButton; }, {"click 0", "click 0"}},
        // the script's Click handler already reads the new state
        {"CheckBox", [] { return new CheckBox; }, {"checked", "click 1", "unchecked", "click 0"}},
        {"ToggleButton", [] { return new ToggleButton; }, {"checked", "click 1", "unchecked", "click 0"}},
        {"ToggleIconButton", [] { return new ToggleIconButton; }, {"checked", "click 1", "unchecked", "click 0"}},
        // checked stays checked, silently
        {"RadioButton", [] { return new RadioButton; }, {"checked", "click 1", "click 1"}},
    };
    for (const Case& c : cases) {
        log.clear();
        Control* button = add(c.make());
        click(button);
        click(button);
        EXPECT_EQ(log, c.twoClicks) << c.what;
        root->removeChild(button);
        delete button;
    }
}

TEST_F(ButtonFamily, RadioButtonsLeaveEachOtherAlone)
{
    auto* first = static_cast<RadioButton*>(add(new RadioButton));
    auto* second = static_cast<RadioButton*>(add(new RadioButton));
    click(first);
    click(second);
    EXPECT_TRUE(first->hasFlags(Flag::checked)) << "no groups: a script clears the others";
    EXPECT_TRUE(second->hasFlags(Flag::checked));
    // setCheck's operation: ValueChange only on a change
    log.clear();
    first->setChecked(true);
    first->setChecked(false);
    EXPECT_EQ(log, (Log{"unchecked"}));
}

TEST_F(ButtonFamily, AReleaseClicksOnlyWhileCapturedAndOnTheButton)
{
    struct Case {
        const char* what;
        bool captured;
        Point cursor;
        bool handled;
        bool clicked;
    };
    const Case cases[] = {
        {"released on the button", true, {50, 20}, true, true},
        {"dragged off before the release", true, {150, 20}, true, false},
        {"on the right and bottom edges: outside", true, {90, 40}, true, false},
        {"not holding the capture", false, {50, 20}, false, false},
    };
    Control* button = add(new Button);
    for (const Case& c : cases) {
        log.clear();
        button->setRoutingState(Flag::captured, c.captured);
        host.cursor = c.cursor;
        ControlEvent release;
        release.code = EventCode::LButtonUp;
        release.direction = Direct;
        button->dispatch(release);
        EXPECT_EQ(release.handled != 0, c.handled) << c.what;
        EXPECT_TRUE(log.empty()) << c.what << ": Click comes later, from the message loop";
        pump();
        EXPECT_EQ(log, c.clicked ? Log{"click 0"} : Log{}) << c.what;
    }
}

TEST_F(ButtonFamily, APostedClickIsDroppedWhenTheButtonGoesFirst)
{
    Control* button = add(new CheckBox);
    button->setRoutingState(Flag::captured, true);
    host.cursor = {50, 20};
    ControlEvent release;
    release.code = EventCode::LButtonUp;
    release.direction = Direct;
    button->dispatch(release);
    root->removeChild(button);
    delete button;
    pump();
    EXPECT_TRUE(log.empty());
}
