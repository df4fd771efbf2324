// Labels measured and painted off screen (size, alignment, ampersands, cut-off, colour), and the
// link label's press. The mouse and the cursor are end to end.
#include "ui/skin/TestImages.h"
#include "ui/core/FakeHost.h"

#include <Label.h>
#include <LinkLabel.h>
#include <ScriptHooks.h>
#include <TextDrawing.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class LabelPaint : public PaintFixture {
protected:
    void SetUp() override
    {
        PaintFixture::SetUp();
        loadPackage({});
    }
    Rect paintLabel(const std::wstring& text, PropertyKey align = PropertyKey::none)
    {
        label.textProperties.set(PropertyKey::text, text);
        if (align != PropertyKey::none)
            label.intProperties.set(PropertyKey::textAlign, keywordValue(align));
        fill(0xFFFFFF);
        label.paint(dc(), kArea, kArea);
        return inkBounds({0, 0, 240, 120}, 0xFFFFFF);
    }
    // The text's own extent in the "Default" font.
    int32_t textWidth(const std::wstring& text)
    {
        Rect measured;
        drawTextInFont(dc(), measured, text.c_str(), styleRegistry()->font(L"Default"), 0, TextFormat::measureLabel);
        return measured.width();
    }

    static constexpr Rect kArea{20, 10, 220, 50};
    Label label;
};

} // namespace

TEST_F(LabelPaint, MeasuresItsTextPlusPadding)
{
    label.rectProperties.set(PropertyKey::padding, Rect{2, 3, 4, 5});
    EXPECT_EQ(label.measureOverride({500, 500}), (Size{6, 8})) << "no text: the padding alone";
    label.textProperties.set(PropertyKey::text, L"Pelora安装");
    const Size size = label.measureOverride({500, 500});
    EXPECT_EQ(size.width, textWidth(L"Pelora安装") + 6);
    EXPECT_GT(size.height, 8 + 8);
}

TEST_F(LabelPaint, AlignsCentresAndCutsOneLine)
{
    const Rect left = paintLabel(L"Hi");
    EXPECT_LE(left.left, kArea.left + 2);
    EXPECT_NEAR((left.top + left.bottom) / 2, (kArea.top + kArea.bottom) / 2, 3) << "vertically centred";

    const Rect centre = paintLabel(L"Hi", PropertyKey::center);
    EXPECT_NEAR((centre.left + centre.right) / 2, (kArea.left + kArea.right) / 2, 2);
    const Rect right = paintLabel(L"Hi", PropertyKey::right);
    EXPECT_GE(right.right, kArea.right - 2);
    EXPECT_LE(right.right, kArea.right);
    // any other keyword is left
    EXPECT_EQ(paintLabel(L"Hi", PropertyKey::top), left);

    // an ampersand is shown, not taken as a mnemonic prefix
    label.intProperties.set(PropertyKey::textAlign, keywordValue(PropertyKey::left));
    EXPECT_GT(paintLabel(L"A&B").width(), paintLabel(L"AB").width() + 3);

    // too long: cut at the label's edge on its one line
    const Rect cut = paintLabel(std::wstring(60, L'W'));
    EXPECT_EQ(cut.right, kArea.right);
    EXPECT_LE(cut.height(), left.height() + 4) << "not wrapped onto a second line";

    // no text, nothing drawn
    label.textProperties.set(PropertyKey::text, L"x");
    Label empty;
    fill(0xFFFFFF);
    empty.paint(dc(), kArea, kArea);
    EXPECT_TRUE(inkBounds({0, 0, 240, 120}, 0xFFFFFF).isEmpty());
}

TEST_F(LabelPaint, PaintsInItsColourOrTheDefault)
{
    struct Case {
        bool set;
        int32_t colour;
        uint32_t rgb;
    };
    const Case cases[] = {{false, 0, 0x4D7992}, {true, 3355596, 0xCC3333}};
    for (const Case& c : cases) {
        if (c.set)
            label.intProperties.set(PropertyKey::color, c.colour);
        label.textProperties.set(PropertyKey::font, L"Big");
        paintLabel(L"HHH");
        bool found = false;
        for (int32_t y = kArea.top; y < kArea.bottom && !found; ++y) {
            for (int32_t x = kArea.left; x < kArea.right && !found; ++x)
                found = pixel(x, y) == c.rgb;
        }
        EXPECT_TRUE(found) << std::hex << "no stroke in " << c.rgb;
    }
}

namespace {

std::vector<std::wstring> opened;

bool recordUrl(const std::wstring& url)
{
    opened.push_back(url);
    return true;
}

void press(Control* control)
{
    ControlEvent event;
    event.code = EventCode::LButtonDown;
    event.direction = Bubbling;
    control->dispatch(event);
    EXPECT_TRUE(event.handled) << "swallowed, with or without a url";
}

} // namespace

TEST(LinkLabelPress, OpensItsUrlThroughTheOpener)
{
    ASSERT_TRUE(Toolkit::start());
    ScriptHooks hooks;
    hooks.openUrl = recordUrl;
    setScriptHooks(&hooks);
    FakeHost host;
    LinkLabel link;
    host.attachRoot(&link);
    press(&link);
    EXPECT_TRUE(opened.empty());
    link.textProperties.set(PropertyKey::url, L"https://pelora.orvo.example/agreement.html");
    press(&link);
    EXPECT_EQ(opened, (std::vector<std::wstring>{L"https://pelora.orvo.example/agreement.html"}));
    host.detachRoot(&link);
    setScriptHooks(nullptr);
    Toolkit::shutdown();
}
