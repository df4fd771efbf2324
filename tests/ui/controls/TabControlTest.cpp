// Tab controls in a tree hosted by a stand-in window: the first selection, pressing tabs with their
// events and the page slide frame by frame, placements, tabs without pages or outside a tab
// control, and tearing a tab control down with its pages attached.
#include "ui/core/FakeHost.h"
#include "ui/skin/TestImages.h"

#include <Canvas.h>
#include <TabControl.h>
#include <TabItem.h>

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string>* journal = nullptr;
int destroyed = 0;

// A page that fills itself with one colour and counts its end.
class Page : public Canvas {
public:
    explicit Page(COLORREF colour) : colour_(colour) {}
    ~Page() override { ++destroyed; }
    void paint(DeviceContext dc, const Rect& r, const Rect&) override
    {
        RECT area{r.left, r.top, r.right, r.bottom};
        platform::BrushHandle brush(CreateSolidBrush(colour_));
        FillRect(dc, &area, brush.get());
    }

private:
    COLORREF colour_;
};

class CountedTab : public TabItem {
public:
    ~CountedTab() override { ++destroyed; }
};

void record(void* name, Control*, ControlEvent* event)
{
    journal->push_back(std::string(static_cast<const char*>(name)) + " " + std::to_string(event->code));
}

// Records where the watched page is at each synchronous repaint: the frames of a slide.
class SlideHost : public FakeHost {
public:
    bool requestRepaint(bool wait) override
    {
        if (wait && watched)
            frames.push_back(watched->rect.left);
        return FakeHost::requestRepaint(wait);
    }
    Control* watched = nullptr;
    std::vector<int32_t> frames;
};

} // namespace

class Tabs : public PaintFixture {
protected:
    void SetUp() override
    {
        PaintFixture::SetUp();
        loadPackage({});
        journal = &lines;
        destroyed = 0;
        root = new Canvas;
        host.client = {0, 0, 240, 120};
        host.attachRoot(root);
        tabs = new TabControl;
        // 20 pixels in from the window's left edge, so a page slid a whole width away still shows
        tabs->intProperties.set(PropertyKey::x, 20);
        tabs->intProperties.set(PropertyKey::width, 200);
        tabs->intProperties.set(PropertyKey::height, 100);
        tabs->intProperties.set(PropertyKey::tabHeight, 20);
        tabs->addHandler(EventCode::ValueChange, const_cast<char*>("tabs"), record);
        // a stray control first, then tabs a, b, c (no page) and d
        stray = addTab(new Control, nullptr, 30, "stray");
        a = addTab(new TabItem, new Page(RGB(200, 0, 0)), 40, "a");
        b = addTab(new TabItem, new Page(RGB(0, 200, 0)), 40, "b");
        c = addTab(new TabItem, nullptr, 40, "c");
        d = addTab(new TabItem, new Page(RGB(0, 0, 200)), 40, "d");
        root->addChild(tabs);
    }
    void TearDown() override
    {
        host.detachRoot(root);
        delete root;
        journal = nullptr;
        PaintFixture::TearDown();
    }
    template <class T>
    T* addTab(T* tab, Control* page, int32_t width, const char* name)
    {
        tab->intProperties.set(PropertyKey::width, width);
        tab->addHandler(EventCode::ValueChange, const_cast<char*>(name), record);
        if (auto* item = dynamic_cast<TabItem*>(tab))
            item->content = page;
        tabs->addChild(tab);
        return tab;
    }
    void layout()
    {
        root->measure({240, 120});
        root->arrange({0, 0, 240, 120});
    }
    // A press on a tab, as the window sends it; whether it was handled.
    static bool press(Control* tab)
    {
        ControlEvent event;
        event.code = EventCode::LButtonDown;
        event.direction = Bubbling;
        tab->dispatch(event);
        return event.handled != 0;
    }
    TabItem* selected() const { return tabs->selectedItem(); }

    SlideHost host;
    Canvas* root = nullptr;
    TabControl* tabs = nullptr;
    Control* stray = nullptr;
    TabItem *a = nullptr, *b = nullptr, *c = nullptr, *d = nullptr;
    std::vector<std::string> lines;
};

TEST_F(Tabs, FirstArrangeSelectsTheFirstTabItemWithoutSliding)
{
    EXPECT_TRUE(Control::isAttached(a->content)) << "pages join the window with their tabs";
    EXPECT_EQ(a->content->parent(), tabs);
    EXPECT_EQ(tabs->childCount(), 5) << "but not the child list";
    layout();
    EXPECT_EQ(selected(), a) << "the stray first child is no tab item";
    EXPECT_TRUE(a->hasFlags(Flag::checked));
    EXPECT_EQ(lines, std::vector<std::string>{"tabs 31"});
    EXPECT_TRUE(host.frames.empty());

    EXPECT_EQ(tabs->headerRect, (Rect{0, 0, 200, 20}));
    EXPECT_EQ(tabs->contentRect, (Rect{0, 20, 200, 100}));
    EXPECT_EQ(stray->rect, (Rect{0, 0, 30, 20}));
    EXPECT_EQ(d->rect, (Rect{150, 0, 190, 20})) << "left to right, the page-less tab included";
    EXPECT_EQ(d->content->rect, tabs->contentRect);

    // hits: tabs in the strip, the tab control between them, the selected page below
    EXPECT_EQ(tabs->hitTest({20 + 155, 5}), d);
    EXPECT_EQ(tabs->hitTest({20 + 195, 5}), tabs);
    EXPECT_EQ(tabs->hitTest({20 + 100, 60}), a->content);
    // paint: only the selected page
    fill(0xFFFFFF);
    tabs->paint(dc(), tabs->rect, {0, 0, 240, 120});
    EXPECT_EQ(pixel(20 + 100, 60), 0xC80000u);
    EXPECT_EQ(pixel(20 + 100, 10), 0xFFFFFFu);
}

TEST_F(Tabs, PressingTabsSelectsAndSlidesThePageIn)
{
    layout();
    lines.clear();
    EXPECT_TRUE(press(a)) << "pressing the selected tab is handled";
    EXPECT_TRUE(lines.empty());

    // to the right: the old tab hears it first, then the tab control; then ten frames from the right
    host.watched = b->content;
    EXPECT_TRUE(press(b));
    EXPECT_EQ(selected(), b);
    EXPECT_FALSE(a->hasFlags(Flag::checked));
    EXPECT_EQ(lines, (std::vector<std::string>{"a 31", "tabs 31"}));
    EXPECT_EQ(host.frames, (std::vector<int32_t>{0, 200, 180, 160, 140, 120, 100, 80, 60, 40, 20}))
        << "the old tab's repaint, then the frames";
    EXPECT_EQ(b->content->rect, tabs->contentRect) << "home again";

    // to the left: from a whole width away, one step in
    host.frames.clear();
    host.watched = a->content;
    press(a);
    EXPECT_EQ(host.frames, (std::vector<int32_t>{0, -200, -180, -160, -140, -120, -100, -80, -60, -40, -20}));

    // a tab without a page: selected, nothing to slide, nothing to paint or hit below the strip
    host.frames.clear();
    lines.clear();
    press(c);
    EXPECT_EQ(selected(), c);
    EXPECT_EQ(lines, (std::vector<std::string>{"a 31", "tabs 31"}));
    EXPECT_EQ(host.frames, std::vector<int32_t>{0});
    EXPECT_EQ(tabs->hitTest({20 + 100, 60}), tabs);
    fill(0xFFFFFF);
    tabs->paint(dc(), tabs->rect, {0, 0, 240, 120});
    EXPECT_EQ(pixel(20 + 100, 60), 0xFFFFFFu);
}

TEST_F(Tabs, LeftPlacementDoesNotSlideAndOthersLayNothingOut)
{
    tabs->intProperties.set(PropertyKey::tabPlacement, keywordValue(PropertyKey::left));
    layout();
    EXPECT_EQ(tabs->headerRect, (Rect{0, 0, 20, 100}));
    EXPECT_EQ(a->content->rect, (Rect{20, 0, 200, 100}));
    host.watched = b->content;
    press(b);
    EXPECT_EQ(selected(), b);
    EXPECT_TRUE(host.frames.empty()) << "no frame: nothing slides";

    tabs->intProperties.set(PropertyKey::tabPlacement, keywordValue(PropertyKey::bottom));
    EXPECT_EQ(tabs->measure({200, 100}), (Size{200, 100})) << "its fixed size";
    EXPECT_EQ(tabs->measureOverride({200, 100}), (Size{}));
    d->rect = {};
    layout();
    EXPECT_EQ(d->rect, (Rect{})) << "nothing laid out";
}

TEST_F(Tabs, TabOutsideATabControlAndTearingDown)
{
    // a tab in a plain panel: its press is handled and selects nothing, its page stays out
    auto* loose = new TabItem;
    loose->content = new Page(RGB(1, 2, 3));
    root->addChild(loose);
    EXPECT_TRUE(press(loose));
    EXPECT_FALSE(Control::isAttached(loose->content));
    EXPECT_EQ(loose->content->parent(), nullptr);

    // a tab taken out of its tab control takes its page along
    layout();
    tabs->removeChild(d);
    EXPECT_FALSE(Control::isAttached(d->content));
    EXPECT_EQ(d->content->parent(), nullptr);
    delete d;
    EXPECT_EQ(destroyed, 1);

    // the rest goes with the tab control, attached as it is: every tab and page
    auto* counted = addTab(new CountedTab, new Page(RGB(4, 5, 6)), 40, "counted");
    EXPECT_TRUE(Control::isAttached(counted->content));
    delete tabs;
    EXPECT_EQ(destroyed, 1 + 4) << "three pages and the counted tab";
    EXPECT_EQ(root->childCount(), 1) << "the loose tab";
}
