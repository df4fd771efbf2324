// Event dispatch: preview, bubbling and direct order, the stop rule, and changes during a delivery.
#include "FakeHost.h"

#include <DelegatePool.h>
#include <Panel.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class EventTest : public ::testing::Test {
protected:
    // root > parent > target
    void SetUp() override
    {
        root = new Panel;
        parent = new Panel;
        target = new Control;
        parent->addChild(target);
        root->addChild(parent);
        host.attachRoot(root);
    }
    void TearDown() override
    {
        host.detachRoot(root);
        delete root;
    }

    // A handler that appends its name; "stop" handlers also mark the event handled.
    struct Named {
        EventTest* test;
        std::string name;
        bool stop = false;
    };
    Named* named(const std::string& name, bool stop = false)
    {
        names.push_back(std::make_unique<Named>(Named{this, name, stop}));
        return names.back().get();
    }
    static void log(void* target, Control* control, ControlEvent* event)
    {
        auto* n = static_cast<Named*>(target);
        n->test->calls.push_back(n->name);
        n->test->receivers.push_back(control);
        if (n->stop)
            event->handled = 1;
    }
    void add(Control* control, int32_t code, const std::string& name, bool stop = false)
    {
        ASSERT_TRUE(control->addHandler(code, named(name, stop), log));
    }
    ControlEvent send(Control* to, int32_t code, int32_t direction)
    {
        ControlEvent event;
        event.code = code;
        event.direction = direction;
        to->dispatch(event);
        return event;
    }

    FakeHost host;
    Panel* root = nullptr;
    Panel* parent = nullptr;
    Control* target = nullptr;
    std::vector<std::unique_ptr<Named>> names;
    std::vector<std::string> calls;
    std::vector<Control*> receivers;
};

using Strings = std::vector<std::string>;

} // namespace

TEST_F(EventTest, PreviewRunsFromTheRootDown)
{
    add(root, EventCode::PrevLButtonDown, "R1");
    add(root, EventCode::PrevLButtonDown, "R2");
    add(parent, EventCode::PrevLButtonDown, "P1");
    add(target, EventCode::PrevLButtonDown, "T1");
    send(target, EventCode::PrevLButtonDown, Preview);
    EXPECT_EQ(calls, (Strings{"R1", "R2", "P1", "T1"}));
    EXPECT_EQ(receivers, (std::vector<Control*>(4, target))) << "every handler sees the target";
}

TEST_F(EventTest, BubblingRunsFromTheTargetUp)
{
    add(target, EventCode::LButtonDown, "T1");
    add(target, EventCode::LButtonDown, "T2");
    add(parent, EventCode::LButtonDown, "P1");
    add(root, EventCode::LButtonDown, "R1");
    send(target, EventCode::LButtonDown, Bubbling);
    EXPECT_EQ(calls, (Strings{"T1", "T2", "P1", "R1"}));
}

TEST_F(EventTest, DirectDoesNotReachTheParentEvenWhenUnhandled)
{
    add(target, EventCode::MouseEnter, "T1");
    add(parent, EventCode::MouseEnter, "P1");
    ControlEvent event = send(target, EventCode::MouseEnter, Direct);
    EXPECT_EQ(calls, (Strings{"T1"}));
    EXPECT_EQ(event.handled, 0);
}

TEST_F(EventTest, HandledStopsTheRestOfTheDelivery)
{
    add(target, EventCode::LButtonDown, "T1", true);
    add(target, EventCode::LButtonDown, "T2");
    add(parent, EventCode::LButtonDown, "P1");
    ControlEvent event = send(target, EventCode::LButtonDown, Bubbling);
    EXPECT_EQ(calls, (Strings{"T1"}));
    EXPECT_NE(event.handled, 0);
}

TEST_F(EventTest, HandledStopsAPreviewOnTheWayDown)
{
    add(root, EventCode::PrevKeyDown, "R1", true);
    add(target, EventCode::PrevKeyDown, "T1");
    send(target, EventCode::PrevKeyDown, Preview);
    EXPECT_EQ(calls, (Strings{"R1"}));
}

TEST_F(EventTest, AnAlreadyHandledEventReachesNobody)
{
    add(target, EventCode::KeyDown, "T1");
    ControlEvent event;
    event.code = EventCode::KeyDown;
    event.direction = Bubbling;
    event.handled = 1;
    target->dispatch(event);
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(event.handled, 1) << "dispatch never resets handled";
}

TEST_F(EventTest, OnlyHandlersOfTheEventsCodeRun)
{
    add(target, EventCode::KeyUp, "up");
    add(target, EventCode::KeyDown, "down");
    send(target, EventCode::KeyDown, Bubbling);
    EXPECT_EQ(calls, (Strings{"down"}));
}

TEST_F(EventTest, DetachedControlsReceiveNothing)
{
    auto* loose = new Control;
    add(loose, EventCode::Click, "L");
    send(loose, EventCode::Click, Direct);
    EXPECT_TRUE(calls.empty());
    delete loose;
}

TEST_F(EventTest, SameHandlerTwiceRemovedOnceStillRunsOnce)
{
    Named* n = named("twice");
    target->addHandler(EventCode::Click, n, log);
    target->addHandler(EventCode::Click, n, log);
    send(target, EventCode::Click, Direct);
    EXPECT_EQ(calls.size(), 2u);
    calls.clear();
    target->removeHandler(EventCode::Click, n, log);
    send(target, EventCode::Click, Direct);
    EXPECT_EQ(calls, (Strings{"twice"}));
}

TEST_F(EventTest, RemovingAnUnknownHandlerIsHarmless)
{
    add(target, EventCode::Click, "T1");
    target->removeHandler(EventCode::Click, named("other"), log);
    target->removeHandler(EventCode::Notify, named("other"), log);
    send(target, EventCode::Click, Direct);
    EXPECT_EQ(calls, (Strings{"T1"}));
}

namespace {

struct Adder {
    Control* control;
    int added = 0;
    int lateCalls = 0;
    static void late(void* target, Control*, ControlEvent*) { ++static_cast<Adder*>(target)->lateCalls; }
    static void addLate(void* target, Control*, ControlEvent*)
    {
        auto* self = static_cast<Adder*>(target);
        if (self->added++ == 0)
            self->control->addHandler(EventCode::Click, self, late);
    }
};

struct Remover {
    Control* control;
    void* victim;
    HandlerFunction victimFunction;
    static void run(void* target, Control*, ControlEvent*)
    {
        auto* self = static_cast<Remover*>(target);
        self->control->removeHandler(EventCode::Click, self->victim, self->victimFunction);
    }
};

struct SelfDestroyer {
    static void run(void* target, Control* control, ControlEvent*)
    {
        auto* parent = static_cast<Panel*>(target);
        parent->removeChild(control);
        delete control;
    }
};

} // namespace

TEST_F(EventTest, HandlerAddedDuringADeliveryRunsFromTheNextOne)
{
    Adder adder{target};
    target->addHandler(EventCode::Click, &adder, Adder::addLate);
    send(target, EventCode::Click, Direct);
    EXPECT_EQ(adder.lateCalls, 0);
    send(target, EventCode::Click, Direct);
    EXPECT_EQ(adder.lateCalls, 1);
}

TEST_F(EventTest, HandlerRemovedDuringADeliveryIsSkipped)
{
    Named* victim = named("victim");
    Remover remover{target, victim, log};
    target->addHandler(EventCode::Click, &remover, Remover::run);
    target->addHandler(EventCode::Click, victim, log);
    send(target, EventCode::Click, Direct);
    EXPECT_TRUE(calls.empty());
}

TEST_F(EventTest, ControlDestroyedByItsOwnHandlerSkipsItsRestButNotItsAncestors)
{
    add(target, EventCode::LButtonDown, "T1");
    target->addHandler(EventCode::LButtonDown, parent, SelfDestroyer::run);
    add(target, EventCode::LButtonDown, "T3");
    add(parent, EventCode::LButtonDown, "P1");
    add(root, EventCode::LButtonDown, "R1");
    send(target, EventCode::LButtonDown, Bubbling);
    EXPECT_EQ(calls, (Strings{"T1", "P1", "R1"}));
    EXPECT_EQ(parent->childCount(), 0);
}

TEST_F(EventTest, MoreThanSixteenHandlersOnOnePathAllRun)
{
    for (int i = 0; i < 30; ++i)
        add(i % 2 ? parent : target, EventCode::MouseMove, std::to_string(i));
    send(target, EventCode::MouseMove, Bubbling);
    EXPECT_EQ(calls.size(), 30u);
    EXPECT_EQ(calls.front(), "0");
    EXPECT_EQ(calls[15], "1") << "the target's fifteen first, then the parent's";
}

TEST_F(EventTest, AnyCodeCanCarryHandlers)
{
    add(target, 777, "custom");
    send(target, 777, Direct);
    EXPECT_EQ(calls, (Strings{"custom"}));
}

TEST(DelegatePoolLimit, PastTheCapacityRegistrationFailsCleanlyAndRecovers)
{
    auto* control = new Control;
    size_t before = DelegatePool::liveCount();
    size_t room = DelegatePool::kCapacity - before;
    static int calls;
    calls = 0;
    HandlerFunction count = [](void*, Control*, ControlEvent*) { ++calls; };
    for (size_t i = 0; i < room; ++i)
        ASSERT_TRUE(control->addHandler(EventCode::Notify, nullptr, count)) << i;
    EXPECT_FALSE(control->addHandler(EventCode::Notify, nullptr, count));
    EXPECT_EQ(DelegatePool::liveCount(), DelegatePool::kCapacity);

    control->removeHandler(EventCode::Notify, nullptr, count);
    EXPECT_TRUE(control->addHandler(EventCode::Click, nullptr, count));
    delete control;
    EXPECT_EQ(DelegatePool::liveCount(), before) << "every cell comes back with its control";
}
