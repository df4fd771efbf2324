// Controls: initial flag words, class names, the tree, attaching, state setters, invalidation, coordinates.
#include "FakeHost.h"

#include <Canvas.h>
#include <DockPanel.h>
#include <Grid.h>
#include <Panel.h>
#include <StackPanel.h>

#include <Button.h>
#include <CheckBox.h>
#include <Drawing.h>
#include <Edit.h>
#include <IconButton.h>
#include <ImageButton.h>
#include <Label.h>
#include <LinkLabel.h>
#include <ListBox.h>
#include <ListItem.h>
#include <PowerPoint.h>
#include <ProgressBar.h>
#include <RadioButton.h>
#include <ScrollBar.h>
#include <ScrollPanel.h>
#include <Seperator.h>
#include <Slider.h>
#include <TabControl.h>
#include <TabItem.h>
#include <TextBox.h>
#include <ToggleButton.h>
#include <ToggleIconButton.h>

#include <ComboBox.h>
#include <TitleBar.h>
#include <WebBrowser.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

struct Expected {
    Control* control;
    uint64_t flags;
    const wchar_t* className;
};

// Records "name:code" for Attached and Detached.
struct Journal {
    std::vector<std::string> entries;

    void watch(Control* control, const std::string& name)
    {
        names.push_back({control, name});
        control->addHandler(EventCode::Attached, this, record);
        control->addHandler(EventCode::Detached, this, record);
    }

    static void record(void* target, Control* control, ControlEvent* event)
    {
        auto* journal = static_cast<Journal*>(target);
        for (auto& n : journal->names) {
            if (n.first == control)
                journal->entries.push_back(n.second + (event->code == EventCode::Attached ? "+" : "-"));
        }
    }

    std::vector<std::pair<Control*, std::string>> names;
};

} // namespace

TEST(ControlFlags, EveryClassStartsWithItsFlagWord)
{
    std::vector<std::unique_ptr<Control>> keep;
    auto make = [&](Control* c) {
        keep.emplace_back(c);
        return c;
    };
    const Expected table[] = {
        {make(new Control), 0x3, L"Control"},
        {make(new TitleBar), 0x3, L"Control"},
        {make(new WebBrowser), 0x3, L"Control"},
        {make(new PowerPoint), 0x3, L"PowerPoint"},
        {make(new LinkLabel), 0x3, L"Control"},
        {make(new Panel), 0x2003, L"Panel"},
        {make(new Canvas), 0x2003, L"Panel"},
        {make(new StackPanel), 0x2003, L"Panel"},
        {make(new DockPanel), 0x2003, L"Panel"},
        {make(new Grid), 0x2003, L"Panel"},
        {make(new ScrollPanel), 0x2003, L"Panel"},
        {make(new ListBox), 0x2003, L"Panel"},
        {make(new TabControl), 0x2003, L"Panel"},
        {make(new Button), 0x163, L"Button"},
        {make(new CheckBox), 0x163, L"Button"},
        {make(new RadioButton), 0x163, L"Button"},
        {make(new ToggleButton), 0x163, L"Button"},
        {make(new ToggleIconButton), 0x163, L"Button"},
        {make(new ImageButton), 0x163, L"Button"},
        {make(new IconButton), 0x163, L"Button"},
        {make(new TabItem), 0x20123, L"Button"},
        {make(new ComboBox), 0x123, L"Control"},
        {make(new Drawing), 0x403, L"Image"},
        {make(new Label), 0x403, L"Control"},
        {make(new ProgressBar), 0x403, L"ProgressBar"},
        {make(new Seperator), 0x403, L"Control"},
        {make(new ListItem), 0x23, L"Control"},
        {make(new Slider), 0x8163, L"Control"},
        {make(new Edit), 0xE3, L"Edit"},
        {make(new TextBox), 0x8E3, L"TextBox"},
        {make(new ScrollBar), 0x63, L"Control"},
    };
    for (const Expected& e : table) {
        EXPECT_EQ(e.control->flags(), e.flags) << "expected 0x" << std::hex << e.flags;
        EXPECT_STREQ(e.control->className(), e.className);
    }
}

TEST(ControlTree, ChildrenKeepTheirOrderAndCount)
{
    Panel panel;
    Control* a = new Control;
    Control* b = new Control;
    ASSERT_TRUE(panel.addChild(a));
    ASSERT_TRUE(panel.addChild(b));
    EXPECT_EQ(panel.childCount(), 2);
    EXPECT_EQ(panel.childAt(0), a);
    EXPECT_EQ(panel.childAt(1), b);
    EXPECT_EQ(panel.childAt(2), nullptr);
    EXPECT_EQ(panel.childAt(-1), a) << "a negative index follows the list no times";
    EXPECT_EQ(a->parent(), &panel);
    EXPECT_EQ(a->nextSibling(), b);
    EXPECT_EQ(b->previousSibling(), a);
}

TEST(ControlTree, RemovedChildIsUnlinkedAndBelongsToTheCaller)
{
    Panel panel;
    Control* a = new Control;
    Control* b = new Control;
    Control* c = new Control;
    panel.addChild(a);
    panel.addChild(b);
    panel.addChild(c);
    ASSERT_TRUE(panel.removeChild(b));
    std::unique_ptr<Control> owned(b);
    EXPECT_EQ(panel.childCount(), 2);
    EXPECT_EQ(a->nextSibling(), c);
    EXPECT_EQ(c->previousSibling(), a);
    EXPECT_EQ(b->parent(), nullptr);
    EXPECT_EQ(b->nextSibling(), nullptr);
    EXPECT_EQ(b->previousSibling(), nullptr);
    EXPECT_FALSE(panel.removeChild(b));
}

TEST(ControlTree, RefusesAChildWithAParentOrALoop)
{
    Panel outer;
    Panel* inner = new Panel;
    outer.addChild(inner);
    Panel other;
    EXPECT_FALSE(other.addChild(inner));
    EXPECT_FALSE(inner->addChild(&outer));
    EXPECT_FALSE(outer.addChild(&outer));
    EXPECT_FALSE(outer.addChild(nullptr));
    EXPECT_EQ(outer.childCount(), 1);
}

TEST(ControlTree, DeletingAPanelDeletesItsChildrenLastFirst)
{
    static std::vector<int> order;
    struct Marked : Control {
        explicit Marked(int n) : n(n) {}
        ~Marked() override { order.push_back(n); }
        int n;
    };
    order.clear();
    auto* panel = new Panel;
    panel->addChild(new Marked(1));
    panel->addChild(new Marked(2));
    panel->addChild(new Marked(3));
    delete panel;
    EXPECT_EQ(order, (std::vector<int>{3, 2, 1}));
}

TEST(Attaching, ParentsReceiveAttachedBeforeTheirChildren)
{
    FakeHost host;
    auto* root = new Panel;
    auto* inner = new Panel;
    auto* leaf = new Control;
    auto* second = new Control;
    Journal journal;
    journal.watch(root, "root");
    journal.watch(inner, "inner");
    journal.watch(leaf, "leaf");
    journal.watch(second, "second");
    inner->addChild(leaf);
    root->addChild(inner);
    root->addChild(second);
    EXPECT_TRUE(journal.entries.empty()) << "no Attached while the panel is not attached";

    host.attachRoot(root);
    EXPECT_EQ(journal.entries, (std::vector<std::string>{"root+", "inner+", "leaf+", "second+"}));
    EXPECT_EQ(leaf->window(), &host);
    EXPECT_TRUE(Control::isAttached(leaf));

    host.detachRoot(root);
    delete root;
}

TEST(Attaching, RemovingAnAttachedPanelDetachesDescendantsFirst)
{
    FakeHost host;
    auto* root = new Panel;
    auto* inner = new Panel;
    auto* a = new Control;
    auto* b = new Control;
    inner->addChild(a);
    inner->addChild(b);
    root->addChild(inner);
    host.attachRoot(root);

    Journal journal;
    journal.watch(inner, "inner");
    journal.watch(a, "a");
    journal.watch(b, "b");
    root->removeChild(inner);
    EXPECT_EQ(journal.entries, (std::vector<std::string>{"a-", "b-", "inner-"}));
    EXPECT_EQ(host.forgotten, (std::vector<Control*>{a, b, inner}));
    EXPECT_EQ(inner->window(), nullptr);
    EXPECT_FALSE(Control::isAttached(a));
    delete inner;
    host.detachRoot(root);
    delete root;
}

TEST(Attaching, AddingToAnAttachedPanelAttachesAtOnce)
{
    FakeHost host;
    auto* root = new Panel;
    host.attachRoot(root);
    auto* child = new Control;
    Journal journal;
    journal.watch(child, "child");
    root->addChild(child);
    EXPECT_EQ(journal.entries, (std::vector<std::string>{"child+"}));
    host.detachRoot(root);
    delete root;
}

TEST(Attaching, IdsAreRecordedAndTheLastAttachedWins)
{
    FakeHost host;
    auto* root = new Panel;
    auto* first = new Control;
    auto* second = new Control;
    auto* other = new Control;
    first->intProperties.set(PropertyKey::id, 7);
    second->intProperties.set(PropertyKey::id, 7);
    other->intProperties.set(PropertyKey::id, 3);
    root->addChild(first);
    root->addChild(second);
    root->addChild(other);
    host.attachRoot(root);
    EXPECT_EQ(host.findById(7), second);
    EXPECT_EQ(host.findById(3), other);
    EXPECT_EQ(host.findById(9), nullptr);

    // a detached control keeps its entry, but is not found while it is out of the tree
    root->removeChild(other);
    EXPECT_EQ(host.findById(3), nullptr);
    root->addChild(other);
    EXPECT_EQ(host.findById(3), other);
    root->removeChild(other);
    delete other;
    host.detachRoot(root);
    delete root;
}

TEST(Attaching, AControlThatDiesLeavesNothingBehind)
{
    // Every way a window points at a control, and both ways a control dies while attached: deleted
    // itself while still linked in its parent, or with a panel holding it.
    enum Record { Focused, Captured, Hovered, IdOnly };
    for (Record record : {Focused, Captured, Hovered, IdOnly}) {
        for (bool viaPanel : {false, true}) {
            SCOPED_TRACE(testing::Message() << "record " << record << (viaPanel ? ", panel deleted" : ", leaf deleted"));
            FakeHost host;
            auto* root = new Panel;
            host.attachRoot(root);
            auto* group = new Panel;
            auto* leaf = new Control;
            leaf->intProperties.set(PropertyKey::id, 7);
            group->addChild(leaf);
            root->addChild(group);
            ASSERT_EQ(host.findById(7), leaf);
            Control** slot = record == Focused ? &host.focused : record == Captured ? &host.captured
                           : record == Hovered ? &host.hovered : nullptr;
            if (slot)
                *slot = leaf;
            const Control* address = leaf;

            if (viaPanel)
                delete group;
            else
                delete leaf;

            EXPECT_FALSE(Control::isAttached(address));
            EXPECT_EQ(host.focused, nullptr);
            EXPECT_EQ(host.captured, nullptr);
            EXPECT_EQ(host.hovered, nullptr);
            EXPECT_EQ(host.findById(7), nullptr);
            EXPECT_EQ(host.idMap.count(7), 0u);
            if (viaPanel) {
                EXPECT_EQ(root->childCount(), 0);
                EXPECT_EQ(root->firstChild(), nullptr);
            } else {
                EXPECT_EQ(group->childCount(), 0);
                EXPECT_EQ(group->firstChild(), nullptr);
            }
            host.detachRoot(root);
            delete root;
        }
    }
}

TEST(Attaching, ScriptsCannotWriteTheBitsTheToolkitKeepsInStep)
{
    Button button;
    for (uint64_t bit : {Flag::focused, Flag::captured, Flag::hovered, Flag::scriptObject, Flag::container,
                         Flag::tabItemMark}) {
        EXPECT_FALSE(button.writeFlags(bit, true)) << std::hex << bit;
        EXPECT_FALSE(button.hasFlags(bit));
    }
    EXPECT_TRUE(button.writeFlags(Flag::mouseTransparent | Flag::collapsed, true));
    EXPECT_TRUE(button.hasFlags(Flag::mouseTransparent | Flag::collapsed));
}

namespace {

// Adds `added` to `panel` the first time `control` receives Attached.
struct AddOnAttached {
    Panel* panel;
    Control* added;
    static void run(void* target, Control*, ControlEvent*)
    {
        auto* self = static_cast<AddOnAttached*>(target);
        if (self->added && !self->added->parent())
            self->panel->addChild(self->added);
    }
};

// Takes `removed` out of `panel` when `control` receives Detached.
struct RemoveOnDetached {
    Panel* panel;
    Control* removed;
    static void run(void* target, Control*, ControlEvent*)
    {
        auto* self = static_cast<RemoveOnDetached*>(target);
        if (self->removed->parent() == self->panel)
            self->panel->removeChild(self->removed);
    }
};

} // namespace

TEST(Attaching, ChildAddedByAnAttachedHandlerIsAttachedOnce)
{
    FakeHost host;
    auto* root = new Panel;
    auto* panel = new Panel;
    auto* first = new Control;
    auto* late = new Control;
    auto* grandchild = new Control;
    auto* lateChild = new Panel;
    lateChild->addChild(grandchild);
    panel->addChild(first);
    root->addChild(panel);
    Journal journal;
    journal.watch(panel, "panel");
    journal.watch(first, "first");
    journal.watch(late, "late");
    journal.watch(lateChild, "lateChild");
    journal.watch(grandchild, "grandchild");
    // the panel fills itself when it is attached; its first child adds a sibling in turn
    AddOnAttached fill{panel, lateChild};
    AddOnAttached sibling{panel, late};
    panel->addHandler(EventCode::Attached, &fill, AddOnAttached::run);
    first->addHandler(EventCode::Attached, &sibling, AddOnAttached::run);

    host.attachRoot(root);
    EXPECT_EQ(journal.entries,
              (std::vector<std::string>{"panel+", "lateChild+", "grandchild+", "first+", "late+"}));
    EXPECT_EQ(panel->childCount(), 3);
    host.detachRoot(root);
    delete root;
}

TEST(Attaching, SiblingRemovedByADetachedHandlerLeavesNoOtherChildAttached)
{
    FakeHost host;
    auto* root = new Panel;
    auto* a = new Control;
    auto* b = new Control;
    auto* c = new Control;
    root->addChild(a);
    root->addChild(b);
    root->addChild(c);
    host.attachRoot(root);
    RemoveOnDetached takeB{root, b};
    a->addHandler(EventCode::Detached, &takeB, RemoveOnDetached::run);
    Journal journal;
    journal.watch(a, "a");
    journal.watch(b, "b");
    journal.watch(c, "c");
    journal.watch(root, "root");

    host.detachRoot(root);
    EXPECT_EQ(journal.entries, (std::vector<std::string>{"b-", "a-", "c-", "root-"}));
    EXPECT_FALSE(Control::isAttached(c)) << "a control left attached would outlive its window";
    EXPECT_EQ(c->window(), nullptr);
    EXPECT_EQ(b->parent(), nullptr);
    delete b;
    delete root;
}

class StateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = new Panel;
        host.attachRoot(root);
        child = new Control;
        child->rect = {10, 20, 60, 50};
        root->addChild(child);
        child->addHandler(EventCode::ValueChange, this, countChange);
    }
    void TearDown() override
    {
        host.detachRoot(root);
        delete root;
    }
    static void countChange(void* target, Control*, ControlEvent*) { ++static_cast<StateTest*>(target)->changes; }

    FakeHost host;
    Panel* root = nullptr;
    Control* child = nullptr;
    int changes = 0;
};

TEST_F(StateTest, HidingAHiddenControlDoesNothing)
{
    child->setVisible(false);
    size_t repaints = host.repaintRequests.size();
    child->setVisible(false);
    EXPECT_EQ(host.repaintRequests.size(), repaints);
    EXPECT_FALSE(child->flags() & Flag::visible);
}

TEST_F(StateTest, HidingRepaintsAndMakesTheWindowForgetTheControl)
{
    child->setVisible(false);
    EXPECT_EQ(host.repaintRequests, (std::vector<bool>{false}));
    EXPECT_EQ(host.forgotten, (std::vector<Control*>{child}));
}

TEST_F(StateTest, DisablingMakesTheWindowForgetTheControl)
{
    child->setEnabled(false);
    EXPECT_FALSE(child->flags() & Flag::enabled);
    EXPECT_EQ(host.forgotten, (std::vector<Control*>{child}));
    child->setEnabled(true);
    EXPECT_EQ(host.forgotten.size(), 1u);
    EXPECT_EQ(host.repaintRequests.size(), 2u);
}

TEST_F(StateTest, SetCheckedSendsValueChangeOnlyOnChange)
{
    child->setChecked(true);
    child->setChecked(true);
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(child->flags() & Flag::checked);
    child->toggleChecked();
    EXPECT_EQ(changes, 2);
    EXPECT_FALSE(child->flags() & Flag::checked);
}

TEST_F(StateTest, CheckOnACheckedControlSendsNothing)
{
    child->check();
    EXPECT_EQ(changes, 1);
    size_t repaints = host.repaintRequests.size();
    child->check();
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(host.repaintRequests.size(), repaints);
}

TEST_F(StateTest, InvalidateClipsToTheClientArea)
{
    child->rect = {380, 290, 420, 330};
    EXPECT_TRUE(child->invalidate(true));
    ASSERT_EQ(host.invalidated.size(), 1u);
    EXPECT_EQ(host.invalidated[0], (Rect{380, 290, 400, 300}));
    EXPECT_EQ(host.repaintRequests, (std::vector<bool>{true}));
}

TEST_F(StateTest, InvalidateOutsideTheClientAreaIsRefused)
{
    child->rect = {500, 10, 520, 20};
    EXPECT_FALSE(child->invalidate());
    EXPECT_TRUE(host.invalidated.empty());
}

TEST_F(StateTest, CoordinatesSumTheAncestorsButNotTheRoot)
{
    root->rect = {100, 100, 500, 400};   // ignored: a root sits at the origin
    auto* inner = new Panel;
    inner->rect = {5, 6, 200, 200};
    auto* leaf = new Control;
    leaf->rect = {10, 20, 30, 40};
    inner->addChild(leaf);
    root->addChild(inner);

    Point position;
    ASSERT_TRUE(root->absolutePosition(position));
    EXPECT_EQ(position, (Point{0, 0}));
    ASSERT_TRUE(leaf->absolutePosition(position));
    EXPECT_EQ(position, (Point{15, 26}));
    Rect area;
    ASSERT_TRUE(leaf->absoluteRect(area));
    EXPECT_EQ(area, (Rect{15, 26, 35, 46}));
    Point local;
    ASSERT_TRUE(leaf->toLocal({20, 30}, local));
    EXPECT_EQ(local, (Point{5, 4}));
    host.cursor = {16, 27};
    ASSERT_TRUE(leaf->localCursorPosition(local));
    EXPECT_EQ(local, (Point{1, 1}));
}

TEST(Detached, NoCoordinatesNoInvalidation)
{
    Control loose;
    Point p{42, 42};
    EXPECT_FALSE(loose.absolutePosition(p));
    EXPECT_EQ(p, (Point{42, 42}));
    Rect r{1, 2, 3, 4};
    EXPECT_FALSE(loose.absoluteRect(r));
    EXPECT_EQ(r, (Rect{1, 2, 3, 4}));
    EXPECT_FALSE(loose.invalidate());
    loose.setVisible(false);   // no window: just the bit
    EXPECT_FALSE(loose.flags() & Flag::visible);
}
