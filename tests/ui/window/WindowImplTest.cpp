// Host windows in-process: sizing and region, painting through the back buffer (caret, layered
// flushes), and the routing rules that real input cannot reach reliably: handlers that hide,
// disable, take away or destroy what is being routed to, capture moved between controls, a
// parked focus that is dropped, and a hovered panel that goes away.
#include "TestSupport.h"
#include "ui/core/Place.h"

#include <Button.h>
#include <Canvas.h>
#include <DirtyRectList.h>
#include <PropertyKey.h>
#include <Toolkit.h>
#include <WindowImpl.h>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

// A control that fills its rectangle with one colour, opaque or half transparent (premultiplied).
class Swatch : public Control {
public:
    explicit Swatch(COLORREF colour, bool translucent = false) : colour_(colour), translucent_(translucent) {}
    void paint(DeviceContext dc, const Rect& r, const Rect&) override
    {
        RECT area{r.left, r.top, r.right, r.bottom};
        if (!translucent_) {
            platform::BrushHandle brush(CreateSolidBrush(colour_));
            FillRect(dc, &area, brush.get());
            return;
        }
        // one premultiplied pixel at half alpha, stretched over the rectangle
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = 1;
        info.bmiHeader.biHeight = -1;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        platform::BitmapHandle pixel(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        *static_cast<uint32_t*>(bits) = 0x80000000u | (GetRValue(colour_) / 2u) << 16 | (GetGValue(colour_) / 2u) << 8 |
                                        GetBValue(colour_) / 2u;
        platform::MemoryDC source(nullptr);
        platform::SelectScope selected(source.get(), pixel.get());
        BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        GdiAlphaBlend(dc, r.left, r.top, r.width(), r.height(), source.get(), 0, 0, 1, 1, blend);
    }

private:
    COLORREF colour_;
    bool translucent_;
};

// What native handlers saw ("name:code", in order), and what some of them do then.
struct Journal {
    std::vector<std::string> lines;
    std::map<std::pair<Control*, int32_t>, std::function<void(ControlEvent&)>> reactions;
    std::map<Control*, std::string> names;
};

Journal* journal = nullptr;   // not owned; the running test's

void record(void* target, Control*, ControlEvent* event)
{
    auto* control = static_cast<Control*>(target);
    journal->lines.push_back(journal->names[control] + ":" + std::to_string(event->code));
    auto reaction = journal->reactions.find({control, event->code});
    if (reaction != journal->reactions.end())
        reaction->second(*event);
}

void listen(Control* control, const std::string& name, std::initializer_list<int32_t> codes)
{
    journal->names[control] = name;
    for (int32_t code : codes)
        control->addHandler(code, control, record);
}

class HostWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Toolkit::start());
        journal = &events;
    }
    void TearDown() override
    {
        if (window && IsWindow(handle))
            DestroyWindow(handle);
        journal = nullptr;
        Toolkit::shutdown();
    }

    // Creates a window hosting `root`, shown without activation at (x, y).
    void open(Control* root, bool layered = false, int x = 900, int y = 500)
    {
        window = new WindowImpl;
        window->layered = layered;
        window->setRoot(std::unique_ptr<Control>(root));
        ASSERT_TRUE(window->create(L"host window test", WS_POPUP, x, y, 0, 0));
        handle = window->hwnd;
        ShowWindow(handle, SW_SHOWNOACTIVATE);
        pump();
    }
    static void pump() { testing_support::pumpMessages(); }
    static LPARAM at(int x, int y) { return MAKELPARAM(WORD(int16_t(x)), WORD(int16_t(y))); }
    void press(int x, int y) { SendMessageW(handle, WM_LBUTTONDOWN, MK_LBUTTON, at(x, y)); }
    void release(int x, int y) { SendMessageW(handle, WM_LBUTTONUP, 0, at(x, y)); }
    uint32_t pixel(int x, int y) const
    {
        GdiFlush();
        const OffscreenSurface& surface = window->backBuffer();
        return surface.pixels()[y * surface.width() + x];
    }

    Journal events;
    WindowImpl* window = nullptr;   // not owned: it goes with its window
    HWND handle = nullptr;
};

Canvas* sizedCanvas(int width, int height)
{
    auto* canvas = new Canvas;
    canvas->intProperties.set(PropertyKey::width, width);
    canvas->intProperties.set(PropertyKey::height, height);
    return canvas;
}

} // namespace

TEST_F(HostWindowTest, SizesItselfFromInitSizeOrItsMeasureAndKeepsTheRegionWithTheSize)
{
    Canvas* measured = sizedCanvas(500, 300);
    open(measured);
    RECT area{};
    GetWindowRect(handle, &area);
    EXPECT_EQ(area.right - area.left, 500);
    EXPECT_EQ(area.bottom - area.top, 300);
    DestroyWindow(handle);

    auto* fixed = new Canvas;
    place(fixed, new Swatch(RGB(1, 2, 3)), 0, 0, 100, 100);
    fixed->sizeProperties.set(PropertyKey::initSize, Size{640, 480});
    fixed->sizeProperties.set(PropertyKey::roundCorner, Size{8, 8});
    open(fixed);
    GetWindowRect(handle, &area);
    EXPECT_EQ(area.right - area.left, 640) << "initSize wins over the content";
    EXPECT_EQ(area.bottom - area.top, 480);
    platform::RegionHandle region(CreateRectRgn(0, 0, 0, 0));
    RECT box{};
    ASSERT_NE(GetWindowRgn(handle, region.get()), ERROR);
    GetRgnBox(region.get(), &box);
    EXPECT_EQ(box.right, 640);
    EXPECT_EQ(box.bottom, 480);
    // every resize takes a new region, which the window owns from then on
    SetWindowPos(handle, nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_NE(GetWindowRgn(handle, region.get()), ERROR);
    GetRgnBox(region.get(), &box);
    EXPECT_EQ(box.right, 300);
    EXPECT_EQ(box.bottom, 200);
    EXPECT_EQ(window->root()->rect, (Rect{0, 0, 300, 200})) << "the tree follows the client size";
    EXPECT_EQ(window->backBuffer().width(), 300);

    // minimised: neither the surface nor the layout changes
    ShowWindow(handle, SW_MINIMIZE);
    EXPECT_EQ(window->backBuffer().width(), 300);
    EXPECT_EQ(window->root()->rect, (Rect{0, 0, 300, 200}));
}

TEST_F(HostWindowTest, PaintsTheTreeThroughTheBackBufferWithTheCaretOnTop)
{
    Canvas* root = sizedCanvas(120, 80);
    place(root, new Swatch(RGB(0, 0, 255)), 0, 0, 120, 80);
    open(root);
    UpdateWindow(handle);
    EXPECT_EQ(pixel(30, 30) & 0xFFFFFF, 0x0000FFu);

    window->setCaretSize(2, 16);
    window->showCaret(30, 20);
    // a blinking caret starts with a flip; the next phase shows it
    for (int i = 0; i < 40 && !window->caretOn(); ++i) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        pump();
    }
    ASSERT_TRUE(window->caretOn());
    UpdateWindow(handle);
    EXPECT_EQ(pixel(31, 25) & 0xFFFFFF, 0x5A5A5Au) << "the caret in grey over the painted tree";
    EXPECT_EQ(pixel(33, 25) & 0xFFFFFF, 0x0000FFu);
    window->hideCaret();
    UpdateWindow(handle);
    EXPECT_EQ(pixel(31, 25) & 0xFFFFFF, 0x0000FFu);
}

TEST(CaretBlink, ASteadyCaretNeedsNoTimer)
{
    EXPECT_EQ(WindowImpl::caretBlinkInterval(530), 530);
    EXPECT_EQ(WindowImpl::caretBlinkInterval(INFINITE), 0) << "INFINITE would blink at the platform's minimum";
    EXPECT_EQ(WindowImpl::caretBlinkInterval(0), 0);
}

TEST_F(HostWindowTest, ALayeredWindowRepaintsTranslucentPixelsWithoutDarkeningThem)
{
    Canvas* root = sizedCanvas(60, 40);
    Swatch* shade = place(root, new Swatch(RGB(0, 0, 0), true), 0, 0, 60, 40);
    open(root, true);
    EXPECT_NE(GetWindowLongPtrW(handle, GWL_EXSTYLE) & WS_EX_LAYERED, 0);
    uint32_t first = pixel(10, 10);
    EXPECT_EQ(first >> 24, 0x80u);
    for (int i = 0; i < 3; ++i) {
        shade->invalidate();
        pump();
    }
    EXPECT_EQ(pixel(10, 10), first) << "each flush repaints the rectangle from clear";
    EXPECT_TRUE(window->dirtyRects().empty());
}

TEST(DirtyRectList, MergesCoveredAndAdjacentRectanglesAndReportsWhenFull)
{
    struct Step {
        Rect add;
        DirtyRectList::Added result;
        size_t count;
    };
    const Step steps[] = {
        {{0, 0, 10, 10}, DirtyRectList::Added::appended, 1},
        {{0, 10, 10, 20}, DirtyRectList::Added::merged, 1},     // same left and right, touching below
        {{2, 2, 8, 8}, DirtyRectList::Added::covered, 1},
        {{10, 0, 30, 20}, DirtyRectList::Added::merged, 1},     // same top and bottom, touching right
        {{50, 50, 60, 60}, DirtyRectList::Added::appended, 2},
        {{40, 40, 70, 70}, DirtyRectList::Added::appended, 2},  // covers the one before, which goes
        {{5, 5, 5, 9}, DirtyRectList::Added::covered, 2},       // empty
    };
    DirtyRectList list;
    for (const Step& step : steps) {
        EXPECT_EQ(list.add(step.add), step.result) << step.add.left << "," << step.add.top;
        EXPECT_EQ(list.size(), step.count);
    }
    EXPECT_EQ(list[0], (Rect{0, 0, 30, 20}));
    EXPECT_EQ(list[1], (Rect{40, 40, 70, 70}));
    for (int i = 0; list.size() < DirtyRectList::kCapacity; ++i)
        list.add({100 + 20 * i, 100, 110 + 20 * i, 110});
    EXPECT_EQ(list.add({0, 500, 5, 505}), DirtyRectList::Added::full) << "the window flushes, then adds";
    EXPECT_EQ(list.size(), DirtyRectList::kCapacity);
}

TEST_F(HostWindowTest, CaptureMovedToAnotherControlTellsTheFirstOnce)
{
    Canvas* root = sizedCanvas(200, 100);
    Button* a = place(root, new Button, 10, 10, 50, 30);
    Button* b = place(root, new Button, 100, 10, 50, 30);
    open(root);
    listen(a, "a", {EventCode::GotCapture, EventCode::LostCapture});
    listen(b, "b", {EventCode::GotCapture, EventCode::LostCapture});
    press(20, 20);
    window->setCapture(b);
    EXPECT_EQ(events.lines, (std::vector<std::string>{"a:10", "a:11", "b:10"}));
    EXPECT_FALSE(a->hasFlags(Flag::captured));
    EXPECT_TRUE(b->hasFlags(Flag::captured));
    EXPECT_EQ(window->capturedControl(), b);
    release(120, 20);
    EXPECT_EQ(events.lines.back(), "b:11");
    EXPECT_EQ(std::count(events.lines.begin(), events.lines.end(), "a:11"), 1);

    // moves while captured carry signed coordinates: past the left edge is negative, not 65535
    EXPECT_EQ(InputRouter::pointOf(at(-3, -40)), (Point{-3, -40}));
}

TEST_F(HostWindowTest, AControlTakenAwayByThePreviewIsNeitherCapturedNorFocusedNorPressed)
{
    Canvas* root = sizedCanvas(300, 100);
    Button* hidden = place(root, new Button, 10, 10, 50, 30);
    Button* disabled = place(root, new Button, 70, 10, 50, 30);
    Button* removed = place(root, new Button, 130, 10, 50, 30);
    Button* destroyed = place(root, new Button, 190, 10, 50, 30);
    for (Button* button : {hidden, disabled, removed, destroyed})
        button->writeFlags(Flag::focusOnPress, true);
    open(root);
    int n = 0;
    for (Button* button : {hidden, disabled, removed, destroyed})
        listen(button, "b" + std::to_string(n++),
               {EventCode::PrevLButtonDown, EventCode::GotCapture, EventCode::GotFocus, EventCode::LButtonDown});
    events.reactions[{hidden, EventCode::PrevLButtonDown}] = [&](ControlEvent&) { hidden->setVisible(false); };
    events.reactions[{disabled, EventCode::PrevLButtonDown}] = [&](ControlEvent&) { disabled->setEnabled(false); };
    std::unique_ptr<Control> taken;
    events.reactions[{removed, EventCode::PrevLButtonDown}] = [&](ControlEvent&) {
        root->removeChild(removed);
        taken.reset(removed);
    };
    events.reactions[{destroyed, EventCode::PrevLButtonDown}] = [&](ControlEvent&) {
        root->removeChild(destroyed);
        delete destroyed;
    };
    for (int x : {20, 80, 140, 200}) {
        press(x, 20);
        release(x, 20);
    }
    EXPECT_EQ(events.lines, (std::vector<std::string>{"b0:12", "b1:12", "b2:12", "b3:12"}));
    EXPECT_EQ(window->capturedControl(), nullptr);
    EXPECT_EQ(window->focusedControl(), nullptr);
}

TEST_F(HostWindowTest, AControlHiddenByItsGotCaptureOrGotFocusHandlerEndsUnfocused)
{
    Canvas* root = sizedCanvas(200, 100);
    Button* first = place(root, new Button, 10, 10, 50, 30);
    Button* second = place(root, new Button, 100, 10, 50, 30);
    first->writeFlags(Flag::focusOnPress, true);
    second->writeFlags(Flag::focusOnPress, true);
    open(root);
    listen(first, "first", {EventCode::GotCapture, EventCode::GotFocus, EventCode::LButtonDown});
    listen(second, "second", {EventCode::GotFocus, EventCode::LostFocus, EventCode::LButtonDown});
    events.reactions[{first, EventCode::GotCapture}] = [&](ControlEvent&) { first->setVisible(false); };
    events.reactions[{second, EventCode::GotFocus}] = [&](ControlEvent&) { second->setVisible(false); };
    press(20, 20);
    release(20, 20);
    press(120, 20);
    release(120, 20);
    EXPECT_EQ(events.lines, (std::vector<std::string>{"first:10", "second:2", "second:3"}));
    EXPECT_EQ(window->focusedControl(), nullptr);
    EXPECT_FALSE(first->hasFlags(Flag::focused));
    EXPECT_FALSE(second->hasFlags(Flag::focused));
}

TEST_F(HostWindowTest, AParkedFocusThatIsDroppedLosesItsMarkAndKeysWithoutFocusGoNowhere)
{
    Canvas* root = sizedCanvas(200, 100);
    Button* button = place(root, new Button, 10, 10, 50, 30);
    open(root);
    listen(button, "button", {EventCode::GotFocus, EventCode::LostFocus, EventCode::PrevKeyDown, EventCode::KeyDown});
    window->setFocus(button);
    SendMessageW(handle, WM_KEYDOWN, 'A', 0);
    SendMessageW(handle, WM_KILLFOCUS, 0, 0);   // the window loses the keyboard: the focus is parked
    EXPECT_TRUE(button->hasFlags(Flag::focused));
    EXPECT_EQ(window->input().focusToRestore(), button);
    SendMessageW(handle, WM_KEYDOWN, 'B', 0);   // nobody has the focus now
    button->setVisible(false);
    EXPECT_EQ(window->input().focusToRestore(), nullptr);
    EXPECT_FALSE(button->hasFlags(Flag::focused)) << "a dropped parked focus keeps no mark";
    SendMessageW(handle, WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_EQ(window->focusedControl(), nullptr);
    EXPECT_EQ(events.lines, (std::vector<std::string>{"button:2", "button:4", "button:5", "button:3"}));
}

TEST_F(HostWindowTest, AHoveredPanelThatGoesAwayLeavesInsideOutAndTheHoverMovesToItsParent)
{
    Canvas* root = sizedCanvas(200, 100);
    Canvas* panel = place(root, new Canvas, 10, 10, 100, 60);
    Button* inner = place(panel, new Button, 10, 10, 40, 20);
    open(root);
    listen(root, "root", {EventCode::MouseEnter, EventCode::MouseLeave});
    listen(panel, "panel", {EventCode::MouseEnter, EventCode::MouseLeave});
    listen(inner, "inner", {EventCode::MouseEnter, EventCode::MouseLeave});
    SendMessageW(handle, WM_MOUSEMOVE, 0, at(30, 25));
    EXPECT_EQ(events.lines, (std::vector<std::string>{"root:26", "panel:26", "inner:26"}));
    events.lines.clear();
    panel->setVisible(false);
    EXPECT_EQ(events.lines, (std::vector<std::string>{"panel:27", "inner:27"}));
    EXPECT_EQ(window->input().hoverChain(), (std::vector<Control*>{root}));
    EXPECT_FALSE(inner->hasFlags(Flag::hovered));
    EXPECT_TRUE(root->hasFlags(Flag::hovered));
}

TEST_F(HostWindowTest, AWindowDestroyedByAHandlerEndsTheRoutingSafely)
{
    Canvas* root = sizedCanvas(200, 100);
    Button* button = place(root, new Button, 10, 10, 50, 30);
    open(root);
    listen(button, "button", {EventCode::PrevLButtonDown, EventCode::GotCapture, EventCode::LButtonDown});
    events.reactions[{button, EventCode::PrevLButtonDown}] = [&](ControlEvent&) { DestroyWindow(handle); };
    press(20, 20);
    EXPECT_FALSE(IsWindow(handle));
    EXPECT_EQ(events.lines, (std::vector<std::string>{"button:12"}));
    window = nullptr;
}

// Scale, not stretch: after WM_DPICHANGED the window is its logical size times the scale, the
// tree keeps its logical places, paints sharp edges where they fall on the device, and a press
// at a device point reaches the control under the logical one.
TEST_F(HostWindowTest, AtEveryScaleTheTreeStaysLogicalWhileTheWindowAndItsPixelsScale)
{
    struct Case {
        UINT dpi;
        double scale;
    };
    for (const Case& c : {Case{96, 1.0}, Case{120, 1.25}, Case{144, 1.5}, Case{192, 2.0}}) {
        SCOPED_TRACE(c.dpi);
        auto* root = new Canvas;
        root->sizeProperties.set(PropertyKey::initSize, Size{200, 100});
        root->sizeProperties.set(PropertyKey::roundCorner, Size{8, 8});
        // buttons above, colours below
        Button* right = place(root, new Button, 100, 0, 100, 50);
        place(root, new Swatch(RGB(0, 0, 255)), 0, 50, 100, 50);
        place(root, new Swatch(RGB(255, 0, 0)), 100, 50, 100, 50);
        open(root, false, 100, 100);
        listen(right, "right", {EventCode::GotCapture});
        const int width = int(200 * c.scale), height = int(100 * c.scale);
        RECT suggested{100, 100, 100 + width, 100 + height};
        SendMessageW(handle, WM_DPICHANGED, MAKEWPARAM(c.dpi, c.dpi), reinterpret_cast<LPARAM>(&suggested));
        RECT area{};
        GetWindowRect(handle, &area);
        EXPECT_EQ(area.right - area.left, width);
        EXPECT_EQ(area.bottom - area.top, height);
        EXPECT_EQ(window->scale(), c.scale);
        EXPECT_EQ(window->clientRect(), (Rect{0, 0, 200, 100})) << "the tree's world stays logical";
        EXPECT_EQ(window->root()->rect, (Rect{0, 0, 200, 100}));
        EXPECT_EQ(window->backBuffer().width(), width);
        platform::RegionHandle region(CreateRectRgn(0, 0, 0, 0));
        RECT box{};
        ASSERT_NE(GetWindowRgn(handle, region.get()), ERROR);
        GetRgnBox(region.get(), &box);
        EXPECT_EQ(box.right, width) << "the rounded region follows the device size";

        UpdateWindow(handle);
        const int edge = int(100 * c.scale);   // where logical x = 100 lands
        const int below = height * 3 / 4;
        EXPECT_EQ(pixel(edge - 1, below) & 0xFFFFFF, 0x0000FFu);
        EXPECT_EQ(pixel(edge, below) & 0xFFFFFF, 0xFF0000u) << "a sharp edge, not a blend";
        EXPECT_EQ(pixel(width - 1, height - 1) & 0xFFFFFF, 0xFF0000u) << "the tree fills the whole device area";

        // the device pixel just right of the edge is the right control; just left is not
        events.lines.clear();
        press(edge - 1, height / 4);
        release(edge - 1, height / 4);
        EXPECT_TRUE(events.lines.empty());
        press(edge, height / 4);
        release(edge, height / 4);
        EXPECT_EQ(events.lines, (std::vector<std::string>{"right:10"}));
        // the pointer's place as the tree sees it is logical
        GetWindowRect(handle, &area);
        SetCursorPos(area.left + edge + 2, area.top + 2);
        const Point cursor = window->cursorPosition();
        EXPECT_EQ(cursor.x, int(std::floor((edge + 2) / c.scale)));
        DestroyWindow(handle);
        window = nullptr;
    }
}
