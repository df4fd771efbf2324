// Measure and arrange: margins, fixed sizes, alignment, the four panels, painting order and hit testing.
#include "FakeHost.h"

#include <Canvas.h>
#include <DockPanel.h>
#include <Grid.h>
#include <StackPanel.h>

#include <gtest/gtest.h>

#include <vector>

namespace {

// A control that asks for a fixed inner size, like content would.
class Sized : public Control {
public:
    Sized(int32_t width, int32_t height) : wants{width, height} {}
    Size measureOverride(Size) override { return wants; }
    Size wants;
};

// Attaches a root for the test and takes it down afterwards.
class Tree {
public:
    explicit Tree(Panel* root) : root(root) { host.attachRoot(root); }
    ~Tree()
    {
        host.detachRoot(root);
        delete root;
    }
    // What the host window does when sized.
    void layout(int32_t width, int32_t height)
    {
        root->measure({width, height});
        root->arrange({0, 0, width, height});
    }
    FakeHost host;
    Panel* root;
};

int32_t kw(PropertyKey key)
{
    return keywordValue(key);
}

} // namespace

TEST(Measure, MarginsAreAddedToTheDesiredSize)
{
    auto* grid = new Grid;
    auto* child = new Sized(30, 20);
    child->rectProperties.set(PropertyKey::margin, Rect{1, 2, 3, 4});
    grid->addChild(child);
    Tree tree(grid);
    EXPECT_EQ(child->measure({100, 100}), (Size{34, 26}));
    EXPECT_EQ(child->desiredSize, (Size{34, 26}));
}

TEST(Measure, FixedSizeReplacesTheContentsAndMinusOneCountsAsAbsent)
{
    auto* grid = new Grid;
    auto* child = new Sized(30, 20);
    child->intProperties.set(PropertyKey::width, 80);
    child->intProperties.set(PropertyKey::height, -1);
    grid->addChild(child);
    Tree tree(grid);
    EXPECT_EQ(child->measure({100, 100}), (Size{80, 20}));
}

TEST(Measure, AvailableWidthEqualToTheMarginsYieldsNothing)
{
    auto* grid = new Grid;
    auto* child = new Sized(30, 20);
    child->rectProperties.set(PropertyKey::margin, Rect{5, 5, 5, 5});
    grid->addChild(child);
    Tree tree(grid);
    EXPECT_EQ(child->measure({10, 100}), (Size{0, 0}));
}

TEST(Measure, DetachedControlKeepsItsDesiredSize)
{
    Sized loose(30, 20);
    loose.desiredSize = {7, 7};
    EXPECT_EQ(loose.measure({100, 100}), (Size{0, 0}));
    EXPECT_EQ(loose.desiredSize, (Size{7, 7}));
}

TEST(Arrange, MarginInAGridSlot)
{
    auto* grid = new Grid;
    auto* child = new Control;
    child->rectProperties.set(PropertyKey::margin, Rect{5, 5, 5, 5});
    grid->addChild(child);
    Tree tree(grid);
    tree.layout(100, 40);
    EXPECT_EQ(child->rect, (Rect{5, 5, 95, 35}));
}

TEST(Arrange, FixedWidthCentred)
{
    auto* grid = new Grid;
    auto* child = new Control;
    child->rectProperties.set(PropertyKey::margin, Rect{5, 5, 5, 5});
    child->intProperties.set(PropertyKey::width, 50);
    child->intProperties.set(PropertyKey::horizontalAlign, kw(PropertyKey::center));
    grid->addChild(child);
    Tree tree(grid);
    tree.layout(100, 40);
    EXPECT_EQ(child->rect, (Rect{25, 5, 75, 35}));
}

TEST(Arrange, RightAlignedTakesItsDesiredWidthAtTheRightEdge)
{
    auto* grid = new Grid;
    auto* child = new Sized(30, 10);
    child->intProperties.set(PropertyKey::horizontalAlign, kw(PropertyKey::right));
    grid->addChild(child);
    Tree tree(grid);
    tree.layout(100, 40);
    EXPECT_EQ(child->rect.left, 70);
    EXPECT_EQ(child->rect.right, 100);
}

TEST(Arrange, TopAndBottomAlignment)
{
    auto* grid = new Grid;
    auto* top = new Sized(10, 10);
    top->intProperties.set(PropertyKey::verticalAlign, kw(PropertyKey::top));
    auto* bottom = new Sized(10, 10);
    bottom->intProperties.set(PropertyKey::verticalAlign, kw(PropertyKey::bottom));
    grid->addChild(top);
    grid->addChild(bottom);
    Tree tree(grid);
    tree.layout(100, 40);
    EXPECT_EQ(top->rect, (Rect{0, 0, 100, 10}));
    EXPECT_EQ(bottom->rect, (Rect{0, 30, 100, 40}));
}

TEST(Arrange, OversizedControlStartsAtTheSlotEdgeAndOverflows)
{
    auto* canvas = new Canvas;
    auto* outer = new Grid;   // gives the child a 50-wide slot
    outer->intProperties.set(PropertyKey::width, 50);
    outer->intProperties.set(PropertyKey::horizontalAlign, kw(PropertyKey::left));
    auto* child = new Sized(80, 10);
    child->rectProperties.set(PropertyKey::margin, Rect{3, 0, 0, 0});
    outer->addChild(child);
    canvas->addChild(outer);
    Tree tree(canvas);
    tree.layout(300, 100);
    EXPECT_EQ(child->rect.left, 3);
    EXPECT_EQ(child->rect.width(), 80);
}

TEST(Arrange, NoRoomGivesAnEmptyRect)
{
    auto* grid = new Grid;
    auto* child = new Control;
    child->rectProperties.set(PropertyKey::margin, Rect{10, 0, 10, 0});
    grid->addChild(child);
    Tree tree(grid);
    tree.layout(20, 40);
    EXPECT_EQ(child->rect, (Rect{}));
}

TEST(Arrange, DetachedControlGetsAnEmptyRect)
{
    Control loose;
    loose.rect = {1, 1, 5, 5};
    loose.arrange({0, 0, 100, 100});
    EXPECT_EQ(loose.rect, (Rect{}));
}

TEST(CanvasLayout, NegativePositionsCountFromTheFarEdge)
{
    auto* canvas = new Canvas;
    auto* child = new Sized(10, 10);
    child->intProperties.set(PropertyKey::x, -20);
    child->intProperties.set(PropertyKey::y, 5);
    canvas->addChild(child);
    Tree tree(canvas);
    tree.layout(200, 100);
    EXPECT_EQ(child->rect, (Rect{180, 5, 190, 15}));
}

TEST(StackLayout, VerticalSlotsFollowEachOther)
{
    auto* stack = new StackPanel;
    std::vector<Sized*> children{new Sized(5, 20), new Sized(5, 30), new Sized(5, 10)};
    for (Sized* c : children)
        stack->addChild(c);
    Tree tree(stack);
    tree.layout(120, 200);
    EXPECT_EQ(children[0]->rect, (Rect{0, 0, 120, 20}));
    EXPECT_EQ(children[1]->rect, (Rect{0, 20, 120, 50}));
    EXPECT_EQ(children[2]->rect, (Rect{0, 50, 120, 60}));
}

TEST(StackLayout, HorizontalMeasuresSumOfWidthsAndLargestHeight)
{
    auto* stack = new StackPanel;
    stack->intProperties.set(PropertyKey::orientation, kw(PropertyKey::horizontal));
    auto* a = new Sized(20, 5);
    auto* b = new Sized(30, 15);
    stack->addChild(a);
    stack->addChild(b);
    Tree tree(stack);
    EXPECT_EQ(stack->measure({500, 500}), (Size{50, 15}));
    stack->arrange({0, 0, 500, 40});
    EXPECT_EQ(a->rect, (Rect{0, 0, 20, 40}));
    EXPECT_EQ(b->rect, (Rect{20, 0, 50, 40}));
}

TEST(StackLayout, CollapsedChildTakesNoSpace)
{
    auto* stack = new StackPanel;
    auto* a = new Sized(5, 20);
    auto* gone = new Sized(5, 30);
    gone->writeFlags(Flag::collapsed, true);
    auto* c = new Sized(5, 10);
    stack->addChild(a);
    stack->addChild(gone);
    stack->addChild(c);
    Tree tree(stack);
    tree.layout(100, 200);
    EXPECT_EQ(gone->desiredSize, (Size{0, 0}));
    EXPECT_EQ(c->rect, (Rect{0, 20, 100, 30}));
}

TEST(DockLayout, TopLeftAndFill)
{
    auto* dock = new DockPanel;
    auto* top = new Sized(10, 40);
    top->intProperties.set(PropertyKey::dock, kw(PropertyKey::top));
    auto* left = new Sized(60, 10);   // dock absent: left
    auto* fill = new Sized(10, 10);
    dock->addChild(top);
    dock->addChild(left);
    dock->addChild(fill);
    Tree tree(dock);
    tree.layout(300, 200);
    EXPECT_EQ(top->rect, (Rect{0, 0, 300, 40}));
    EXPECT_EQ(left->rect, (Rect{0, 40, 60, 200}));
    EXPECT_EQ(fill->rect, (Rect{60, 40, 300, 200}));
}

TEST(DockLayout, RightAndBottomTakeTheFarEdges)
{
    auto* dock = new DockPanel;
    auto* right = new Sized(50, 10);
    right->intProperties.set(PropertyKey::dock, kw(PropertyKey::right));
    auto* bottom = new Sized(10, 30);
    bottom->intProperties.set(PropertyKey::dock, kw(PropertyKey::bottom));
    auto* fill = new Sized(10, 10);
    dock->addChild(right);
    dock->addChild(bottom);
    dock->addChild(fill);
    Tree tree(dock);
    tree.layout(300, 200);
    EXPECT_EQ(right->rect, (Rect{250, 0, 300, 200}));
    EXPECT_EQ(bottom->rect, (Rect{0, 170, 250, 200}));
    EXPECT_EQ(fill->rect, (Rect{0, 0, 250, 170}));
}

TEST(DockLayout, OversizedRightDockStartsAtTheCurrentLeftEdge)
{
    auto* dock = new DockPanel;
    auto* left = new Sized(80, 10);
    auto* right = new Sized(150, 10);
    right->intProperties.set(PropertyKey::dock, kw(PropertyKey::right));
    auto* fill = new Sized(10, 10);
    dock->addChild(left);
    dock->addChild(right);
    dock->addChild(fill);
    Tree tree(dock);
    tree.layout(200, 100);
    EXPECT_EQ(right->rect.left, 80);
    EXPECT_EQ(right->rect.width(), 150);
}

TEST(DockLayout, MeasureAddsDockedStrips)
{
    auto* dock = new DockPanel;
    auto* top = new Sized(100, 40);
    top->intProperties.set(PropertyKey::dock, kw(PropertyKey::top));
    auto* left = new Sized(60, 70);
    dock->addChild(top);
    dock->addChild(left);
    Tree tree(dock);
    EXPECT_EQ(dock->measure({500, 500}), (Size{100, 110}));
}

TEST(GridLayout, CollapsedChildIsStillArrangedOverTheWholeArea)
{
    auto* grid = new Grid;
    auto* gone = new Sized(10, 10);
    gone->writeFlags(Flag::collapsed, true);
    grid->addChild(gone);
    Tree tree(grid);
    tree.layout(100, 50);
    EXPECT_EQ(gone->desiredSize, (Size{0, 0}));
    EXPECT_EQ(gone->rect, (Rect{0, 0, 100, 50}));
}

TEST(GridLayout, MeasuresTheLargestChild)
{
    auto* grid = new Grid;
    grid->addChild(new Sized(30, 5));
    grid->addChild(new Sized(10, 25));
    Tree tree(grid);
    EXPECT_EQ(grid->measure({500, 500}), (Size{30, 25}));
}

TEST(PlainPanel, WantsNothingAndLeavesItsChildrenAlone)
{
    auto* grid = new Grid;
    auto* panel = new Panel;
    auto* child = new Sized(10, 10);
    child->rect = {1, 2, 3, 4};
    panel->addChild(child);
    grid->addChild(panel);
    Tree tree(grid);
    tree.layout(100, 50);
    EXPECT_EQ(panel->desiredSize, (Size{0, 0}));
    EXPECT_EQ(child->rect, (Rect{1, 2, 3, 4}));
}

namespace {

// Records the rectangles it is painted with.
class Recorder : public Control {
public:
    Recorder(std::vector<Recorder*>& order) : order(order) {}
    void paint(DeviceContext, const Rect& windowRect, const Rect& clip) override
    {
        order.push_back(this);
        painted = windowRect;
        clipped = clip;
    }
    std::vector<Recorder*>& order;
    Rect painted, clipped;
};

} // namespace

TEST(PanelPaint, ChildrenPaintBottomFirstClippedAndSkippedWhenHidden)
{
    std::vector<Recorder*> order;
    auto* canvas = new Canvas;
    auto* a = new Recorder(order);
    auto* hidden = new Recorder(order);
    auto* collapsed = new Recorder(order);
    auto* b = new Recorder(order);
    auto* outside = new Recorder(order);
    a->rect = {0, 0, 50, 50};
    hidden->rect = {0, 0, 50, 50};
    hidden->writeFlags(Flag::visible, false);
    collapsed->rect = {0, 0, 50, 50};
    collapsed->writeFlags(Flag::collapsed, true);
    b->rect = {40, 40, 120, 120};
    outside->rect = {300, 300, 310, 310};
    for (Control* c : std::vector<Control*>{a, hidden, collapsed, b, outside})
        canvas->addChild(c);
    canvas->rect = {10, 10, 210, 210};

    canvas->paint(nullptr, {10, 10, 210, 210}, {0, 0, 100, 100});
    ASSERT_EQ(order, (std::vector<Recorder*>{a, b}));
    EXPECT_EQ(b->painted, (Rect{50, 50, 130, 130}));
    EXPECT_EQ(b->clipped, (Rect{50, 50, 100, 100}));
    delete canvas;
}

TEST(PanelHitTest, TopmostChildWinsElseThePanel)
{
    auto* canvas = new Canvas;
    canvas->rect = {10, 10, 110, 110};
    auto* below = new Control;
    below->rect = {0, 0, 50, 50};
    auto* above = new Control;
    above->rect = {20, 20, 60, 60};
    canvas->addChild(below);
    canvas->addChild(above);
    EXPECT_EQ(canvas->hitTest({35, 35}), above);
    EXPECT_EQ(canvas->hitTest({15, 15}), below);
    EXPECT_EQ(canvas->hitTest({100, 100}), canvas);
    EXPECT_EQ(canvas->hitTest({110, 50}), nullptr) << "right edge is outside";
    delete canvas;
}

TEST(PanelHitTest, TransparentControlsAreNeverHit)
{
    auto* canvas = new Canvas;
    canvas->rect = {0, 0, 100, 100};
    auto* glass = new Control;
    glass->rect = {0, 0, 50, 50};
    glass->writeFlags(Flag::mouseTransparent, true);
    canvas->addChild(glass);
    EXPECT_EQ(canvas->hitTest({10, 10}), canvas);
    delete canvas;
}

TEST(PanelHitTest, TransparentPanelHidesItsChildren)
{
    auto* root = new Canvas;
    root->rect = {0, 0, 100, 100};
    auto* glassPanel = new Canvas;
    glassPanel->rect = {0, 0, 50, 50};
    glassPanel->writeFlags(Flag::mouseTransparent, true);
    auto* inside = new Control;
    inside->rect = {0, 0, 50, 50};
    glassPanel->addChild(inside);
    root->addChild(glassPanel);
    EXPECT_EQ(root->hitTest({10, 10}), root);
    glassPanel->writeFlags(Flag::visible, false);
    glassPanel->writeFlags(Flag::mouseTransparent, false);
    EXPECT_EQ(root->hitTest({10, 10}), root) << "hidden panels hide their children too";
    delete root;
}
