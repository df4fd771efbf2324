// Speed of the multi-line edit: setText of a large text, typing into a long text, a full repaint.
#include <Canvas.h>
#include <ControlHost.h>
#include <Edit.h>
#include <platform/Gdi.h>

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

class NullHost : public ControlHost {
public:
    Rect clientRect() const override { return {0, 0, 800, 600}; }
    void invalidateRect(const Rect&) override {}
    bool requestRepaint(bool) override { return true; }
    void forgetControl(Control*) override {}
    Point cursorPosition() const override { return {}; }
};

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Lines of 40 to 79 characters of ordinary text, each ended by CR LF, until the text holds
// `characters` or `lines`, whichever comes first.
std::wstring sampleText(size_t characters, size_t lines = SIZE_MAX)
{
    std::wstring text;
    text.reserve(std::min<size_t>(characters, lines * 81) + 100);
    for (size_t n = 0; text.size() < characters && n < lines; ++n) {
        size_t length = 40 + n * 7 % 40;
        for (size_t i = 0; i < length; ++i)
            text.push_back(i % 6 == 5 ? L' ' : static_cast<wchar_t>(L'a' + (n + i) % 26));
        text += L"\r\n";
    }
    text.resize(std::min(text.size(), characters));
    return text;
}

struct Fixture {
    Fixture()
    {
        root = new Canvas;
        edit = new Edit;
        edit->intProperties.set(PropertyKey::width, 760);
        edit->intProperties.set(PropertyKey::height, 560);
        root->addChild(edit);
        root->attachRoot(&host);
        root->measure({800, 600});
        root->arrange({0, 0, 800, 600});
        edit->setRoutingState(Flag::focused, true);
    }
    ~Fixture()
    {
        root->detachRoot();
        delete root;
    }
    void type(wchar_t c)
    {
        ControlEvent event;
        event.code = EventCode::KeyPress;
        event.direction = Bubbling;
        event.wparam = c;
        edit->dispatch(event);
    }
    void key(uint32_t vk)
    {
        ControlEvent event;
        event.code = EventCode::KeyDown;
        event.direction = Bubbling;
        event.wparam = vk;
        edit->dispatch(event);
    }
    NullHost host;
    Canvas* root;
    Edit* edit;
};

} // namespace

int main()
{
    Fixture f;
    constexpr int kRounds = 5;

    // setText of 1,048,576 characters (2 MiB of UTF-16), wrapped at the edit's width
    std::wstring big = sampleText(1 << 20);
    double best = 1e9;
    for (int i = 0; i < kRounds; ++i) {
        f.edit->setText(L"");
        auto start = Clock::now();
        f.edit->setText(big);
        best = std::min(best, millisecondsSince(start));
    }
    std::printf("setText of %zu characters (%d lines after wrapping): %.1f ms\n", big.size(), f.edit->store().lineCount(),
                best);

    // typing into a text of 100,000 lines: at its end, and at its start (every line after the
    // edit point moves)
    std::wstring hundredThousand = sampleText(SIZE_MAX, 100000);
    f.edit->setText(hundredThousand);
    const int32_t startLines = f.edit->store().lineCount();
    const wchar_t typed[] = L"The quick brown fox jumps over the lazy dog\r";
    constexpr int kKeys = 2000;
    for (uint32_t where : {VK_END, VK_HOME}) {
        f.key(where);
        auto start = Clock::now();
        for (int i = 0; i < kKeys; ++i)
            f.type(typed[i % (sizeof(typed) / sizeof(wchar_t) - 1)]);
        double ms = millisecondsSince(start);
        std::printf("typing at the %s of %zu characters in %d lines: %.2f us per character\n",
                    where == VK_END ? "end" : "start", hundredThousand.size(), startLines,
                    ms * 1000 / kKeys);
    }

    // a full repaint of the edit, a page of text all selected (each line drawn twice), into a 32-bit DIB
    f.edit->setText(big);
    BYTE keys[256] = {};
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    f.key('A');
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 800, -600, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    platform::MemoryDC dc(nullptr);
    platform::BitmapHandle bitmap(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    platform::SelectScope selected(dc.get(), bitmap.get());
    Rect area = f.edit->rect;
    Rect clip{0, 0, 800, 600};
    constexpr int kPaints = 50;
    auto start = Clock::now();
    for (int i = 0; i < kPaints; ++i)
        f.edit->paint(dc.get(), area, clip);
    std::printf("full repaint of %d visible lines: %.2f ms\n", f.edit->visibleLines(), millisecondsSince(start) / kPaints);
    return 0;
}
