// Scroll bars, scroll panels, list boxes and sliders in a tree hosted by a stand-in window: thumb
// geometry, positions and their limits, the bars a panel decides on, pressing, repeating and
// dragging, list selection by keys and clicks, and the slider's value under the pointer.
#include "ui/core/FakeHost.h"
#include "ui/core/Place.h"
#include "ui/skin/TestImages.h"

#include <Canvas.h>
#include <ListBox.h>
#include <ListItem.h>
#include <ScrollBar.h>
#include <ScrollPanel.h>
#include <Slider.h>
#include <StackPanel.h>

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace {

std::string style(const std::string& className, const std::string& properties)
{
    return "<style><class name=\"" + className + "\"><properties " + properties + "/></class></style>";
}

// What the handlers saw: Notify codes with their lparam, ValueChange as "change".
std::vector<std::string>* journal = nullptr;

void record(void*, Control*, ControlEvent* event)
{
    if (event->code == EventCode::Notify)
        journal->push_back("notify " + std::to_string(event->wparam) + " " + std::to_string(event->lparam));
    else
        journal->push_back("change");
}

// A control of a fixed size: the content of a scroll panel.
Control* block(int width, int height)
{
    auto* c = new Canvas;
    if (width >= 0)
        c->intProperties.set(PropertyKey::width, width);
    c->intProperties.set(PropertyKey::height, height);
    return c;
}

} // namespace

class Scrolling : public PaintFixture {
protected:
    void SetUp() override
    {
        PaintFixture::SetUp();
        // bars 10 thick (8 horizontally) with 25-pixel arrows; a 20 × 20 slider thumb
        loadPackage({{L"bar.png", solidPng(10, 8, 0xFFA0A0A0)},
                     {L"arrow.png", solidPng(10, 25, 0xFF2040E0)},
                     {L"harrow.png", solidPng(25, 8, 0xFF2040E0)},
                     {L"thumb.png", solidPng(20, 20, 0xFFC00000)},
                     {L"over.png", solidPng(4, 4, 0xFF00C000)},
                     {L"vscrollbar.xml", style("ScrollBar", "barSkin=\"bar.png\" upArrowUpSkin=\"arrow.png\" "
                                                            "downArrowUpSkin=\"arrow.png\" thumbUpSkin=\"thumb.png\"")},
                     {L"hscrollbar.xml", style("ScrollBar", "barSkin=\"bar.png\" upArrowUpSkin=\"harrow.png\" "
                                                            "downArrowUpSkin=\"harrow.png\"")},
                     {L"slider.xml", style("Slider", "thumbUpSkin=\"thumb.png\"")},
                     {L"listitem.xml", style("Style", "overSkin=\"over.png\"")}});
        root = new Canvas;
        host.client = {0, 0, 600, 1200};
        host.attachRoot(root);
        journal = &lines;
    }
    void TearDown() override
    {
        host.detachRoot(root);
        delete root;
        journal = nullptr;
        PaintFixture::TearDown();
    }
    void layout()
    {
        root->measure({600, 1200});
        root->arrange({0, 0, 600, 1200});
    }
    // A mouse event at a client point, as the window sends it.
    static void mouse(Control* control, int32_t code, Point client, int32_t wheel = 0)
    {
        ControlEvent event;
        event.code = code;
        event.direction = code == EventCode::MouseLeave ? Direct : Bubbling;
        event.wparam = uint64_t(uint16_t(int16_t(wheel))) << 16;
        event.lparam = int64_t(uint16_t(int16_t(client.x))) | int64_t(uint16_t(int16_t(client.y))) << 16;
        control->dispatch(event);
    }
    static void key(Control* control, WPARAM virtualKey)
    {
        ControlEvent event;
        event.code = EventCode::KeyDown;
        event.direction = Bubbling;
        event.wparam = virtualKey;
        control->dispatch(event);
    }
    // Press, as the window does it: the capture first for a control that takes it.
    static void press(Control* control, Point client)
    {
        ControlEvent preview;
        preview.code = EventCode::PrevLButtonDown;
        preview.direction = Preview;
        preview.lparam = int64_t(uint16_t(client.x)) | int64_t(uint16_t(client.y)) << 16;
        control->dispatch(preview);
        if (control->hasFlags(Flag::captureOnPress))
            control->setRoutingState(Flag::captured, true);
        mouse(control, EventCode::LButtonDown, client);
    }
    static void release(Control* control, Point client)
    {
        if (control->hasFlags(Flag::captured)) {
            control->setRoutingState(Flag::captured, false);
            ControlEvent lost;
            lost.code = EventCode::LostCapture;
            control->dispatch(lost);
        }
        mouse(control, EventCode::LButtonUp, client);
    }

    FakeHost host;
    Canvas* root = nullptr;
    std::vector<std::string> lines;
};

TEST_F(Scrolling, ThumbLengthAndEnsurePositionLimits)
{
    // 250 high: the bar's track is 250 − 2 × 25 = 200 for a page of 250
    auto* panel = place(root, new ScrollPanel, 0, 0, 120, 250);
    Control* content = block(-1, 1000);
    panel->addChild(content);
    layout();
    ScrollBar* bar = panel->verticalBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(panel->horizontalBar(), nullptr);
    EXPECT_EQ(bar->rect, (Rect{110, 0, 120, 250}));
    EXPECT_EQ(bar->upArrow, (Rect{0, 0, 10, 25}));
    EXPECT_EQ(bar->downArrow, (Rect{0, 225, 10, 250}));
    EXPECT_EQ(bar->range, 1000);
    EXPECT_EQ(bar->page, 250);
    EXPECT_EQ(bar->thumbRect(), (Rect{0, 25, 10, 76})) << "250 × 200 / 1000 + 1 = 51 pixels";

    // the position stays within 0 … range − page, and the content moves with it
    const std::pair<int32_t, int32_t> positions[] = {{900, 750}, {-5, 0}, {300, 300}, {INT32_MAX, 750}, {INT32_MIN, 0}};
    for (const auto& [asked, stored] : positions) {
        bar->EnsurePosition(asked);
        EXPECT_EQ(bar->position, stored) << asked;
        EXPECT_EQ(content->rect.top, -stored) << asked;
    }
    bar->EnsurePosition(750);
    EXPECT_EQ(bar->thumbRect().bottom, 225) << "at the end of the track";
    bar->EnsurePosition(0);

    // a relayout makes new bars at the old position
    layout();
    ASSERT_NE(panel->verticalBar(), nullptr);
    EXPECT_EQ(panel->verticalBar()->position, 0);
    panel->scrollTo(true, 400);
    layout();
    EXPECT_EQ(panel->verticalBar()->position, 400);
    EXPECT_EQ(content->rect.top, -400);

    // a range so large that the formula gives less than 20: 20 pixels
    content->intProperties.set(PropertyKey::height, 100000);
    layout();
    EXPECT_EQ(panel->verticalBar()->thumbRect().height(), 20);

    // nothing to scroll: disabled at 0, no thumb; a page beyond the range never gives a negative position
    panel->intProperties.set(PropertyKey::scrollvertical, keywordValue(PropertyKey::always));
    content->intProperties.set(PropertyKey::height, 100);
    layout();
    bar = panel->verticalBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_FALSE(bar->hasFlags(Flag::enabled));
    EXPECT_EQ(bar->position, 0);
    EXPECT_TRUE(bar->thumbRect().isEmpty());
    bar->EnsurePosition(50);
    EXPECT_EQ(bar->position, 0);
    EXPECT_EQ(content->rect, panel->contentRect()) << "not moved";

    // a bar that is not attached only reports
    ScrollBar loose;
    loose.range = 1000;
    loose.page = 100;
    loose.EnsurePosition(300);
    EXPECT_EQ(loose.position, 0);
}

TEST_F(Scrolling, PanelDecidesItsBars)
{
    const int32_t autoMode = keywordValue(PropertyKey::auto_), always = keywordValue(PropertyKey::always),
                  never = keywordValue(PropertyKey::never);
    struct Case {
        int32_t vertical, horizontal;   // 0: not set
        int32_t width, height;          // of the content
        bool wantVertical, wantHorizontal;
        Rect contentRect;
    } const cases[] = {
        {0, 0, 50, 150, false, false, {0, 0, 200, 150}},        // fits: no bar, content to the viewport
        {0, 0, 50, 400, true, false, {0, 0, 190, 400}},         // too high: a vertical bar takes 10
        {never, 0, 50, 400, false, false, {0, 0, 200, 400}},    // nothing may scroll; still laid out
        {never, autoMode, 500, 100, false, true, {0, 0, 500, 142}},
        {autoMode, autoMode, 500, 100, false, true, {0, 0, 500, 142}},   // only the horizontal one
        {autoMode, autoMode, 500, 145, true, true, {0, 0, 500, 145}},    // which leaves too little height
        {autoMode, autoMode, 185, 400, true, false, {0, 0, 190, 400}},
        {autoMode, autoMode, 195, 400, true, true, {0, 0, 195, 400}},   // the vertical bar takes the width
        {always, always, 10, 10, true, true, {0, 0, 190, 142}},
    };
    for (const Case& c : cases) {
        auto* panel = place(root, new ScrollPanel, 0, 0, 200, 150);
        if (c.vertical)
            panel->intProperties.set(PropertyKey::scrollvertical, c.vertical);
        if (c.horizontal)
            panel->intProperties.set(PropertyKey::scrollhorizontal, c.horizontal);
        auto* content = new StackPanel;   // measured by its one child, so stale sizes would show
        content->addChild(block(c.width, c.height));
        panel->addChild(content);
        layout();
        const std::string what = std::to_string(c.width) + " x " + std::to_string(c.height);
        EXPECT_EQ(panel->verticalBar() != nullptr, c.wantVertical) << what;
        EXPECT_EQ(panel->horizontalBar() != nullptr, c.wantHorizontal) << what;
        EXPECT_EQ(content->rect, c.contentRect) << what;
        EXPECT_EQ(content->firstChild()->rect.height(), c.height) << what << ": the content's own layout ran";
        if (ScrollBar* h = panel->horizontalBar()) {
            EXPECT_FALSE(h->vertical);
            EXPECT_EQ(h->upArrow, (Rect{0, 0, 25, 8})) << "the horizontal skin's arrows, not the vertical one's";
            EXPECT_EQ(h->rect, (Rect{0, 142, c.wantVertical ? 190 : 200, 150})) << what;
            EXPECT_EQ(h->range, c.contentRect.width());
        }
        root->removeChild(panel);
        delete panel;
    }
}

TEST_F(Scrolling, BarReportsPressesRepeatsAndDrags)
{
    auto* panel = place(root, new ScrollPanel, 20, 30, 120, 250);
    panel->addChild(block(-1, 1000));
    layout();
    ScrollBar* bar = panel->verticalBar();
    ASSERT_NE(bar, nullptr);
    bar->addHandler(EventCode::Notify, nullptr, record);
    const Point downArrow{20 + 115, 30 + 240}, pageDown{20 + 115, 30 + 150};
    EXPECT_EQ(bar->hitPart({5, 240}), ScrollBarParts::kDownArrowPressed);
    EXPECT_EQ(bar->hitPart({5, 10}), ScrollBarParts::kUpArrowPressed);
    EXPECT_EQ(bar->hitPart({5, 50}), ScrollBarParts::kThumbPressed);
    EXPECT_EQ(bar->hitPart({5, 150}), ScrollBarParts::kPageDownPressed);

    // an arrow: at once (the repetition while held is the end-to-end scenario's); the bar does
    // not move itself
    press(bar, downArrow);
    EXPECT_EQ(lines, std::vector<std::string>{"notify 3 0"});
    EXPECT_EQ(bar->partState(), ScrollBarParts::kDownArrowPressed);
    release(bar, downArrow);
    EXPECT_EQ(bar->position, 0);

    // the page-down area repeats only while the pointer is over it
    lines.clear();
    host.cursor = pageDown;
    press(bar, pageDown);
    EXPECT_EQ(lines, std::vector<std::string>{"notify 5 0"});
    host.cursor = {20 + 115, 30 + 50};   // the thumb
    testing_support::pumpMessagesUntil([] { return false; }, 250);
    EXPECT_EQ(lines.size(), 1u);
    release(bar, pageDown);

    // a thumb drag reports the position the thumb was dragged to: free track 200 − 51 = 149
    lines.clear();
    press(bar, {20 + 115, 30 + 35});   // 10 pixels into the thumb
    EXPECT_TRUE(lines.empty());
    mouse(bar, EventCode::MouseMove, {20 + 115, 30 + 35 + 100});
    mouse(bar, EventCode::MouseMove, {-400, -200});
    EXPECT_EQ(lines, (std::vector<std::string>{"notify 6 503", "notify 6 -1333"})) << "750 × 100 / 149, unlimited";
    release(bar, {0, 0});

    // over and leave: the pointer-over bits, with stale pressed bits dropped
    mouse(bar, EventCode::MouseMove, {20 + 115, 30 + 50});
    EXPECT_EQ(bar->partState(), ScrollBarParts::kThumbOver);
    mouse(bar, EventCode::MouseLeave, {0, 0});
    EXPECT_EQ(bar->partState(), 0);
}

TEST_F(Scrolling, ListKeysWheelBarsAndClicks)
{
    auto* list = place(root, new ListBox, 0, 0, 200, 100);
    list->intProperties.set(PropertyKey::itemHeight, 24);
    list->addHandler(EventCode::Notify, nullptr, record);
    layout();
    for (int i = 0; i < 20; ++i)
        list->addItem(L"item " + std::to_wstring(i));
    ScrollBar* bar = list->verticalBar();
    ASSERT_NE(bar, nullptr) << "items added after the layout bring their bar";
    EXPECT_EQ(bar->range, 480);
    EXPECT_EQ(list->itemPanel()->childAt(3)->rect, (Rect{0, 72, 190, 96}));

    // the bars' requests: lines and pages of whole items, a dragged thumb snapped down to one
    auto barNotify = [&](int32_t code, int64_t to) {
        ControlEvent event;
        event.code = EventCode::Notify;
        event.wparam = uint64_t(code);
        event.lparam = to;
        bar->dispatch(event);
        return bar->position;
    };
    EXPECT_EQ(barNotify(ScrollBar::pageDown, 0), 96) << "100 − 100 mod 24";
    EXPECT_EQ(barNotify(ScrollBar::lineDown, 0), 120);
    EXPECT_EQ(barNotify(ScrollBar::lineUp, 0), 96);
    EXPECT_EQ(barNotify(ScrollBar::pageUp, 0), 0);
    EXPECT_EQ(barNotify(ScrollBar::thumbDrag, 50), 48);
    EXPECT_EQ(barNotify(ScrollBar::thumbDrag, 9999), 380);
    EXPECT_EQ(list->itemPanel()->rect.top, -380);
    barNotify(ScrollBar::thumbDrag, 0);

    // one wheel notch down scrolls two items
    mouse(list, EventCode::MouseWheel, {10, 10}, -120);
    EXPECT_EQ(bar->position, 48);

    // a click (press and release on one item) selects it, with Notify, also when selected already
    Control* third = list->itemPanel()->childAt(2);
    press(third, {10, 60});
    EXPECT_TRUE(lines.empty()) << "not on the press";
    release(third, {10, 60});
    EXPECT_EQ(lines, std::vector<std::string>{"notify 0 0"});
    EXPECT_EQ(list->selectedText(), L"item 2");
    release(third, {10, 60});
    EXPECT_EQ(lines.size(), 1u) << "a release without its press is no click";
    press(third, {10, 60});
    release(third, {10, 60});
    EXPECT_EQ(lines.size(), 2u);

    // the keys move the selection silently and keep it in view, whole rows above it
    const struct {
        WPARAM key;
        int32_t times;
        const wchar_t* selected;
        int32_t position;
    } moves[] = {
        {VK_UP, 1, L"item 1", 24},   {VK_UP, 5, L"item 0", 0},       {VK_DOWN, 4, L"item 4", 24},
        {VK_DOWN, 15, L"item 19", 380}, {VK_DOWN, 1, L"item 19", 380}, {'A', 1, L"item 19", 380},
    };
    for (const auto& move : moves) {
        for (int i = 0; i < move.times; ++i)
            key(list, move.key);
        EXPECT_EQ(list->selectedText(), move.selected);
        EXPECT_EQ(bar->position, move.position) << testing_support::narrow(move.selected);
    }
    EXPECT_EQ(lines.size(), 2u);
    int checkedItems = 0;
    for (Control* c = list->itemPanel()->firstChild(); c; c = c->nextSibling())
        checkedItems += c->hasFlags(Flag::checked);
    EXPECT_EQ(checkedItems, 1);
}

TEST_F(Scrolling, ListWithoutItemHeightNeverDividesByZero)
{
    // items without a height are as high as they are wide; the list's step is then the first
    // item's height and nothing snaps, also once itemHeight is 0
    auto* list = place(root, new ListBox, 0, 0, 60, 100);
    layout();
    for (int i = 0; i < 5; ++i)
        list->addItem(L"square " + std::to_wstring(i));
    ScrollBar* bar = list->verticalBar();
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(list->itemPanel()->firstChild()->rect.height(), 50);
    for (const bool zero : {false, true}) {
        if (zero)
            list->intProperties.set(PropertyKey::itemHeight, 0);
        auto barNotify = [&](int32_t code, int64_t to) {
            ControlEvent event;
            event.code = EventCode::Notify;
            event.wparam = uint64_t(code);
            event.lparam = to;
            bar->dispatch(event);
            return bar->position;
        };
        EXPECT_EQ(barNotify(ScrollBar::thumbDrag, 37), 37) << zero;
        EXPECT_EQ(barNotify(ScrollBar::pageDown, 0), 137);
        EXPECT_EQ(barNotify(ScrollBar::lineUp, 0), 87);
        mouse(list, EventCode::MouseWheel, {10, 10}, 120);
        EXPECT_EQ(bar->position, 0);
        list->select(static_cast<ListItem*>(list->itemPanel()->childAt(3)), false);
        EXPECT_EQ(bar->position, 100) << "the item's bottom on the viewport's bottom";
        key(list, VK_UP);
        EXPECT_EQ(bar->position, 100);
        key(list, VK_UP);
        EXPECT_EQ(bar->position, 50);
        list->select(nullptr, false);
        barNotify(ScrollBar::thumbDrag, 0);
    }
}

TEST_F(Scrolling, SliderValueUnderThePointer)
{
    auto* slider = place(root, new Slider, 10, 20, 220, 20);
    slider->addHandler(EventCode::ValueChange, nullptr, record);
    layout();
    EXPECT_EQ(slider->rect.height(), 20);
    EXPECT_EQ(slider->thumbRect(slider->thumbSize()), (Rect{100, 0, 120, 20})) << "value 50 of 100";

    // a drag reaches both ends however far past them it goes; only changes are announced
    press(slider, {10 + 300, 30});
    mouse(slider, EventCode::MouseMove, {-500, 30});
    mouse(slider, EventCode::MouseMove, {-400, 30});
    release(slider, {-400, 30});
    EXPECT_EQ(lines, (std::vector<std::string>{"change", "change"}));
    EXPECT_EQ(slider->value, 0);
    slider->setValue(46);

    // the pointer over the thumb checks it, leaving clears it
    mouse(slider, EventCode::MouseMove, {10 + 105, 30});
    EXPECT_TRUE(slider->hasFlags(Flag::checked));
    mouse(slider, EventCode::MouseMove, {10 + 5, 30});
    EXPECT_FALSE(slider->hasFlags(Flag::checked));

    // as wide as its thumb: no track, value 0 wherever it is pressed
    auto* narrow = place(root, new Slider, 300, 20, 20, 20);
    layout();
    press(narrow, {300 + 15, 30});
    EXPECT_EQ(narrow->value, 0);
}

TEST_F(Scrolling, ListItemPaintsItsBandOnlyWhenHovered)
{
    ListItem item;
    item.textProperties.set(PropertyKey::text, L"HHHH");
    const Rect rect{20, 10, 220, 34};
    item.paint(dc(), rect, rect);
    EXPECT_TRUE(inkBounds({0, 0, 240, 120}, 0xFFFFFF).isEmpty()) << "no style: not even the text";

    item.textProperties.set(PropertyKey::style, L"listitem.xml");
    item.paint(dc(), rect, rect);
    Rect ink = inkBounds({0, 0, 240, 120}, 0xFFFFFF);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GE(ink.left, 30) << "the text 10 pixels in";
    EXPECT_LE(ink.left, 32);
    EXPECT_EQ(pixel(21, 11), 0xFFFFFFu) << "no band when not hovered";

    item.setRoutingState(Flag::hovered, true);
    fill(0xFFFFFF);
    item.paint(dc(), rect, rect);
    EXPECT_EQ(pixel(21, 11), 0x00C000u);
    EXPECT_EQ(pixel(219, 33), 0x00C000u);
    EXPECT_EQ(pixel(219, 34), 0xFFFFFFu);
}
