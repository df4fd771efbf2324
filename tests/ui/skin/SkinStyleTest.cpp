// Every style class painted off screen in its states: which skin each state shows, where icons and text go.
#include "TestImages.h"

#include <Button.h>
#include <CheckBox.h>
#include <ComboBox.h>
#include <Edit.h>
#include <ImageButton.h>
#include <RadioButton.h>
#include <ScrollBar.h>
#include <SkinImage.h>
#include <Slider.h>
#include <Style.h>
#include <TextDrawing.h>

#include <gtest/gtest.h>

#include <windows.h>

namespace {

using namespace Flag;

// One solid colour per image name, so a pixel tells which image was drawn.
struct Swatch {
    const wchar_t* name;
    uint32_t colour;
};
const Swatch kSwatches[] = {
    {L"up.png", 0xC00000},        {L"over.png", 0x00C000},      {L"down.png", 0x0000C0},
    {L"disabled.png", 0x808080},  {L"cup.png", 0xC0C000},       {L"cover.png", 0x00C0C0},
    {L"cdown.png", 0xC000C0},     {L"cdisabled.png", 0x404040}, {L"img.png", 0x604020},
    {L"icon.png", 0x205080},      {L"off.png", 0x802050},       {L"drop.png", 0x30A030},
    {L"bar.png", 0xA0A0A0},       {L"track.png", 0x2040E0},     {L"thumbicon.png", 0xF0F000},
};

uint32_t colourOf(const wchar_t* name)
{
    for (const Swatch& s : kSwatches) {
        if (std::wstring(s.name) == name)
            return s.colour;
    }
    ADD_FAILURE() << "no swatch";
    return 0;
}

std::string styleDocument(const std::string& className, const std::string& properties)
{
    return "<style><class name=\"" + className + "\"><properties " + properties + "/></class></style>";
}

const std::string kStateSkins = "upSkin=\"up.png\" overSkin=\"over.png\" downSkin=\"down.png\" disabledSkin=\"disabled.png\" "
                                "checkedUpSkin=\"cup.png\" checkedOverSkin=\"cover.png\" checkedDownSkin=\"cdown.png\" "
                                "checkedDisabledSkin=\"cdisabled.png\"";
const std::string kStateIcons = "upIcon=\"up.png\" overIcon=\"over.png\" downIcon=\"down.png\" disabledIcon=\"disabled.png\" "
                                "checkedUpIcon=\"cup.png\" checkedOverIcon=\"cover.png\" checkedDownIcon=\"cdown.png\" "
                                "checkedDisabledIcon=\"cdisabled.png\"";

// The flag word is read and written in one place, so a change of its representation stays here.
void setState(Control& control, uint64_t bits)
{
    const uint64_t routing = focused | captured | hovered, own = Flag::enabled | Flag::visible | Flag::checked;
    control.writeFlags(own, false);
    control.writeFlags((visible | bits) & own, true);
    control.setRoutingState(routing, false);
    control.setRoutingState(bits & routing, true);
}

} // namespace

class SkinStyles : public PaintFixture {
protected:
    // Swatch images 12 × 12 (icons and skins alike), plus the entries of the test.
    void load(PackageEntries entries)
    {
        for (const Swatch& s : kSwatches)
            entries.push_back({s.name, solidPng(12, 12, 0xFF000000 | s.colour)});
        loadPackage(entries);
    }
    Style* style(const wchar_t* name)
    {
        Style* found = styleRegistry()->style(name);
        EXPECT_NE(found, nullptr);
        return found;
    }
    void paint(const wchar_t* styleName, Control& control, const Rect& rect)
    {
        fill(0xFFFFFF);
        if (Style* s = style(styleName))
            s->draw(dc(), rect, &control);
    }
};

TEST_F(SkinStyles, EachStateRulePicksItsSkin)
{
    load({{L"style.xml", styleDocument("Style", kStateSkins)},
          {L"button.xml", styleDocument("Button", kStateSkins)},
          {L"combo.xml", styleDocument("ComboBox", kStateSkins)},
          {L"icon.xml", styleDocument("IconButton", kStateSkins)},
          {L"edit.xml", styleDocument("Edit", kStateSkins)},
          {L"toggle.xml", styleDocument("ToggleButton", kStateSkins)},
          {L"toggleicon.xml", styleDocument("ToggleIconButton", kStateSkins)},
          {L"background.xml", styleDocument("Background", "img=\"img.png\" " + kStateSkins)}});

    struct Case {
        uint64_t flags;
        const wchar_t* shown;
    };
    const Case skinByState[] = {
        {focused | captured | hovered | checked, L"disabled.png"},   // disabled wins over every other state
        {enabled | captured, L"down.png"},
        {enabled | checked, L"down.png"},
        {enabled | focused, L"over.png"},   // a focused button looks hovered with the pointer elsewhere
        {enabled | hovered, L"over.png"},
        {enabled, L"up.png"},
    };
    const Case editSkin[] = {
        {captured | hovered, L"disabled.png"},
        {enabled | captured, L"up.png"},   // no pressed look
        {enabled | focused, L"up.png"},    // a focused edit shows upSkin
        {enabled | hovered | captured, L"over.png"},
        {enabled, L"up.png"},
    };
    const Case toggleSkin[] = {
        {enabled | checked, L"cup.png"},
        {checked | captured, L"cdisabled.png"},
        {enabled | checked | captured | hovered, L"cdown.png"},
        {enabled | checked | hovered, L"cover.png"},
        {enabled | captured, L"down.png"},
        {enabled | focused, L"up.png"},
        {enabled | hovered, L"over.png"},
        {hovered, L"disabled.png"},
    };
    const Case toggleIconBackground[] = {
        {enabled | checked, L"up.png"},   // checked looks like unchecked: only icon and caption differ
        {enabled | checked | captured, L"down.png"},
        {enabled | focused, L"up.png"},
        {enabled | hovered, L"over.png"},
        {captured | checked, L"disabled.png"},
    };
    const Case noState[] = {{0, L"img.png"}, {enabled | captured | checked, L"img.png"}};

    struct Rule {
        std::vector<const wchar_t*> styles;
        std::vector<Case> cases;
    };
    const Rule rules[] = {
        {{L"style.xml", L"button.xml", L"combo.xml", L"icon.xml"}, {std::begin(skinByState), std::end(skinByState)}},
        {{L"edit.xml"}, {std::begin(editSkin), std::end(editSkin)}},
        {{L"toggle.xml"}, {std::begin(toggleSkin), std::end(toggleSkin)}},
        {{L"toggleicon.xml"}, {std::begin(toggleIconBackground), std::end(toggleIconBackground)}},
        {{L"background.xml"}, {std::begin(noState), std::end(noState)}},
    };
    Button control;
    for (const Rule& rule : rules) {
        for (const wchar_t* name : rule.styles) {
            for (const Case& c : rule.cases) {
                setState(control, c.flags);
                paint(name, control, {10, 10, 50, 30});
                EXPECT_EQ(pixel(30, 20), colourOf(c.shown))
                    << testing_support::narrow(name) << " flags 0x" << std::hex << c.flags;
                EXPECT_EQ(pixel(10, 10), colourOf(c.shown)) << "stretched over the whole rectangle";
                EXPECT_EQ(pixel(50, 30), 0xFFFFFFu);
            }
        }
    }
}

TEST_F(SkinStyles, ButtonCaptionIsCentredAndMovesOnlyByADownOffsetOfOne)
{
    load({{L"one.xml", styleDocument("Button", "upSkin=\"down.png\" downSkin=\"down.png\" downOffset=\"1\"")},
          {L"two.xml", styleDocument("Button", "upSkin=\"down.png\" downSkin=\"down.png\" downOffset=\"2\"")}});
    Button button;
    button.textProperties.set(PropertyKey::text, L"HH");
    button.textProperties.set(PropertyKey::font, L"Big");
    const Rect rect{20, 10, 220, 110};
    const uint32_t background = colourOf(L"down.png");

    setState(button, enabled);
    paint(L"one.xml", button, rect);
    Rect up = inkBounds(rect, background);
    ASSERT_FALSE(up.isEmpty());
    EXPECT_GT(up.height(), 20) << "in the control's font";
    EXPECT_NEAR((up.left + up.right) / 2, 120, 2);
    EXPECT_NEAR((up.top + up.bottom) / 2, 60, 4);
    EXPECT_EQ(pixel(up.left + 1, (up.top + up.bottom) / 2), 0xFFFFFFu) << "white unless textColor says otherwise";

    setState(button, enabled | captured);
    paint(L"one.xml", button, rect);
    EXPECT_EQ(inkBounds(rect, background), up.offset(1, 1));
    paint(L"two.xml", button, rect);
    EXPECT_EQ(inkBounds(rect, background), up);
}

TEST_F(SkinStyles, ButtonExShowsTheStateFrameOfItsStrip)
{
    const uint32_t frames[4] = {0xFF102030, 0xFF405060, 0xFF708090, 0xFFA0B0C0};
    std::vector<uint32_t> strip(60 * 100);
    for (int i = 0; i < 60 * 100; ++i)
        strip[i] = frames[(i / 60) / 25];
    load({{L"strip.png", pngImage(60, 100, strip)}, {L"ex.xml", styleDocument("ButtonEx", "src=\"strip.png\"")}});
    Button button;
    const std::pair<uint64_t, int> cases[] = {
        {enabled, 0}, {enabled | hovered, 1}, {enabled | captured | hovered, 2}, {captured | hovered, 3}};
    for (const auto& [flags, frame] : cases) {
        setState(button, flags);
        paint(L"ex.xml", button, {0, 0, 40, 20});
        EXPECT_EQ(pixel(0, 0), frames[frame] & 0xFFFFFF) << frame;
        EXPECT_EQ(pixel(39, 19), frames[frame] & 0xFFFFFF) << frame;
        EXPECT_EQ(pixel(40, 20), 0xFFFFFFu);
    }
}

TEST_F(SkinStyles, CheckButtonIconByStateAndTextBesideIt)
{
    load({{L"check.xml", styleDocument("CheckButton", kStateIcons + " iconGap=\"4\" textColor=\"#000000\"")}});
    CheckBox box;
    struct Case {
        uint64_t flags;
        const wchar_t* icon;
    } const cases[] = {
        {enabled | captured, L"down.png"},   // pressed shows downIcon before the click flips the checked bit
        {enabled | checked, L"cup.png"},
        {enabled | checked | hovered, L"cover.png"},
        {enabled | checked | captured, L"cdown.png"},
        {checked | hovered, L"cdisabled.png"},
        {enabled | hovered, L"over.png"},
        {enabled | focused, L"up.png"},
        {captured, L"disabled.png"},
    };
    const Rect rect{10, 10, 140, 41};
    for (const Case& c : cases) {
        setState(box, c.flags);
        paint(L"check.xml", box, rect);
        // at the left + 2, centred vertically: y = (10 + 41 − 12) / 2 = 19
        EXPECT_EQ(pixel(12, 19), colourOf(c.icon)) << std::hex << c.flags;
        EXPECT_EQ(pixel(23, 30), colourOf(c.icon));
        EXPECT_EQ(pixel(11, 19), 0xFFFFFFu);
        EXPECT_EQ(pixel(12, 18), 0xFFFFFFu);
    }
    box.textProperties.set(PropertyKey::text, L"HH");
    setState(box, enabled);
    paint(L"check.xml", box, rect);
    Rect ink = inkBounds({24, 10, 140, 41}, 0xFFFFFF);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GE(ink.left, 10 + 12 + 4 + 2);
    EXPECT_LE(ink.left, 10 + 12 + 4 + 2 + 2);
    EXPECT_LT(ink.height(), 16) << "in the DC's font, not the control's";

    // a skin without an icon for the state still shows the text, from the left edge
    Style* bare = style(L"check.xml");
    bare->textProperties.set(PropertyKey::upIcon, L"absent.png");
    paint(L"check.xml", box, rect);
    ink = inkBounds(rect, 0xFFFFFF);
    EXPECT_GE(ink.left, 10 + 4 + 2);
    EXPECT_LE(ink.left, 10 + 4 + 2 + 2);
}

TEST_F(SkinStyles, CheckButtonExDrawsItsFrameInTheTopLeftCorner)
{
    std::vector<uint32_t> strip(14 * 80);
    for (int i = 0; i < 14 * 80; ++i)
        strip[i] = 0xFF000000 | uint32_t(0x10 * ((i / 14) / 10 + 1)) << 8;
    load({{L"strip.png", pngImage(14, 80, strip)}, {L"ex.xml", styleDocument("CheckButtonEx", "src=\"strip.png\"")}});
    CheckBox box;
    const std::pair<uint64_t, int> cases[] = {
        {enabled, 0}, {enabled | hovered, 1}, {enabled | captured, 2}, {hovered, 3},
        {enabled | checked, 4}, {enabled | checked | hovered, 5}, {enabled | checked | captured, 6}, {checked, 7}};
    for (const auto& [flags, frame] : cases) {
        setState(box, flags);
        paint(L"ex.xml", box, {10, 10, 140, 60});
        EXPECT_EQ(pixel(10, 10), uint32_t(0x10 * (frame + 1)) << 8) << frame;
        EXPECT_EQ(pixel(23, 19), uint32_t(0x10 * (frame + 1)) << 8) << frame;
        EXPECT_EQ(pixel(10, 20), 0xFFFFFFu) << "natural size, not centred";
    }
}

TEST_F(SkinStyles, ComboBoxDropButtonFlushRightAndTextAtTheLeft)
{
    load({{L"combo.xml", styleDocument("ComboBox", "upSkin=\"up.png\" dropBtn=\"drop.png\"")}});
    ComboBox combo;
    combo.textProperties.set(PropertyKey::text, L"HHHH");
    setState(combo, enabled);
    paint(L"combo.xml", combo, {0, 0, 120, 30});
    EXPECT_EQ(pixel(108, 9), colourOf(L"drop.png"));
    EXPECT_EQ(pixel(119, 20), colourOf(L"drop.png"));
    EXPECT_EQ(pixel(107, 15), colourOf(L"up.png"));
    EXPECT_EQ(pixel(110, 8), colourOf(L"up.png"));
    Rect ink = inkBounds({0, 0, 106, 30}, colourOf(L"up.png"));
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GE(ink.left, 12);
    EXPECT_LE(ink.left, 14);
    EXPECT_EQ(pixel(ink.left + 1, (ink.top + ink.bottom) / 2), 0x000000u) << "black";
}

TEST_F(SkinStyles, IconAndCaptionFollowTextPlacement)
{
    load({{L"right.xml", styleDocument("IconButton", "textPlacement=\"right\" iconGap=\"6\" downOffset=\"1\"")},
          {L"left.xml", styleDocument("IconButton", "textPlacement=\"left\" iconGap=\"6\"")},
          {L"bottom.xml", styleDocument("IconButton", "textPlacement=\"bottom\" iconGap=\"6\"")},
          {L"top.xml", styleDocument("IconButton", "textPlacement=\"top\"")},
          {L"toggle.xml", styleDocument("ToggleIconButton", "upSkin=\"up.png\" iconGap=\"6\"")}});
    Button button;
    button.textProperties.set(PropertyKey::text, L"HH");
    button.textProperties.set(PropertyKey::icon, L"icon.png");
    setState(button, enabled);
    Rect measured;
    drawTextInFont(dc(), measured, L"HH", styleRegistry()->font(L"Default"), 0, TextFormat::measureCaption);
    const int32_t textWidth = measured.width(), textHeight = measured.height();
    const Rect rect{0, 0, 200, 100};
    const uint32_t icon = colourOf(L"icon.png");

    // right: the pair centred, the icon first
    paint(L"right.xml", button, rect);
    int32_t x = (200 - 6 - textWidth - 12) / 2;
    EXPECT_EQ(pixel(x, 44), icon);
    EXPECT_EQ(pixel(x + 11, 55), icon);
    EXPECT_EQ(pixel(x - 1, 50), 0xFFFFFFu);
    Rect ink = inkBounds({x + 12, 0, 200, 100}, 0xFFFFFF);
    EXPECT_NEAR(ink.left, x + 12 + 6, 2);

    // pressed with downOffset 1: the text moves, the icon stays
    setState(button, enabled | captured);
    paint(L"right.xml", button, rect);
    EXPECT_EQ(pixel(x, 44), icon);
    EXPECT_EQ(pixel(x - 1, 44), 0xFFFFFFu);
    EXPECT_EQ(inkBounds({x + 12, 0, 200, 100}, 0xFFFFFF), ink.offset(1, 1));
    setState(button, enabled);

    // left: the text first, then the icon
    paint(L"left.xml", button, rect);
    EXPECT_EQ(pixel(x + textWidth + 6, 44), icon);
    EXPECT_NEAR(inkBounds({0, 0, x + textWidth + 6, 100}, 0xFFFFFF).left, x, 2);

    // bottom: the icon centred above the text
    paint(L"bottom.xml", button, rect);
    int32_t y = (100 - 6 - textHeight - 12) / 2;
    EXPECT_EQ(pixel(94, y), icon);
    EXPECT_EQ(pixel(94, y - 1), 0xFFFFFFu);
    EXPECT_GE(inkBounds({0, y + 12, 200, 100}, 0xFFFFFF).top, y + 12 + 6);

    // any other placement: no icon, the text left-aligned and vertically centred
    paint(L"top.xml", button, rect);
    EXPECT_TRUE(inkBounds(rect, icon).isEmpty() || inkBounds(rect, 0xFFFFFF).left < 3);
    for (int32_t yy = 0; yy < 100; ++yy)
        for (int32_t xx = 0; xx < 200; xx += 3)
            ASSERT_NE(pixel(xx, yy), icon);
    EXPECT_LT(inkBounds(rect, 0xFFFFFF).left, 3);

    // no icon: the caption centred both ways, like a plain button
    button.textProperties.set(PropertyKey::icon, L"absent.png");
    paint(L"right.xml", button, rect);
    ink = inkBounds(rect, 0xFFFFFF);
    EXPECT_NEAR((ink.left + ink.right) / 2, 100, 2);
    EXPECT_NEAR((ink.top + ink.bottom) / 2, 50, 3);

    // a checked toggle-icon button swaps in offIcon and offText; an empty offText draws no text
    Button toggle;
    toggle.textProperties.set(PropertyKey::icon, L"icon.png");
    toggle.textProperties.set(PropertyKey::offIcon, L"off.png");
    toggle.textProperties.set(PropertyKey::offText, L"");
    setState(toggle, enabled | checked);
    paint(L"toggle.xml", toggle, rect);
    EXPECT_EQ(pixel(94, 44), colourOf(L"off.png")) << "an icon without text sits in the middle";
    EXPECT_EQ(pixel(0, 0), colourOf(L"up.png"));
    setState(toggle, enabled);
    paint(L"toggle.xml", toggle, rect);
    EXPECT_EQ(pixel(94, 44), icon);
}

TEST_F(SkinStyles, ScrollBarArrowsTrackAndThumb)
{
    load({{L"bar.xml",
           styleDocument("ScrollBar",
                         "barSkin=\"bar.png\" upArrowUpSkin=\"up.png\" upArrowOverSkin=\"over.png\" "
                         "upArrowDownSkin=\"down.png\" upArrowDisabledSkin=\"disabled.png\" downArrowUpSkin=\"up.png\" "
                         "downArrowOverSkin=\"over.png\" downArrowDownSkin=\"down.png\" "
                         "downArrowDisabledSkin=\"disabled.png\" thumbUpSkin=\"cup.png\" thumbOverSkin=\"cover.png\" "
                         "thumbDownSkin=\"cdown.png\" thumbUpIcon=\"thumbicon.png\"")}});
    // a real scroll bar: 12 × 100, arrows 12 × 12, a quarter of the content visible
    ScrollBar bar;
    bar.rect = {0, 0, 12, 100};
    bar.upArrow = {0, 0, 12, 12};
    bar.downArrow = {0, 88, 12, 100};
    bar.range = 1000;
    bar.page = 250;
    bar.position = 750;
    EXPECT_EQ(bar.thumbRect(), (Rect{0, 68, 12, 88})) << "20 pixels at least, at the end of the track";
    const Rect rect{50, 10, 62, 110};   // the paint rectangle moves the parts with it

    struct Case {
        uint64_t flags;
        int32_t parts;
        const wchar_t *up, *down, *thumb;
    } const cases[] = {
        {enabled, 0, L"up.png", L"up.png", L"cup.png"},
        {enabled, ScrollBarParts::kUpArrowPressed, L"down.png", L"up.png", L"cup.png"},
        {enabled, ScrollBarParts::kDownArrowOver, L"up.png", L"over.png", L"cup.png"},
        {enabled, ScrollBarParts::kThumbOver, L"up.png", L"up.png", L"cover.png"},
        {enabled, ScrollBarParts::kThumbPressed | ScrollBarParts::kThumbOver, L"up.png", L"up.png", L"cdown.png"},
        {0, ScrollBarParts::kThumbPressed | ScrollBarParts::kUpArrowPressed, L"disabled.png", L"disabled.png", nullptr},
    };
    for (const Case& c : cases) {
        setState(bar, c.flags);
        bar.partBits = c.parts;
        paint(L"bar.xml", bar, rect);
        EXPECT_EQ(pixel(56, 15), colourOf(c.up)) << std::hex << c.parts;
        EXPECT_EQ(pixel(56, 105), colourOf(c.down));
        EXPECT_EQ(pixel(56, 40), colourOf(L"bar.png")) << "the track between";
        if (c.thumb) {
            EXPECT_EQ(pixel(51, 79), colourOf(c.thumb));
            EXPECT_EQ(pixel(50, 79), colourOf(L"bar.png")) << "the thumb is narrowed by one pixel each side";
            EXPECT_EQ(pixel(61, 79), colourOf(L"bar.png"));
            // the up thumb's icon (12 × 12) centred in the narrowed thumb (51 … 61, 78 … 98)
            if (c.thumb == std::wstring(L"cup.png"))
                EXPECT_EQ(pixel(50, 82), colourOf(L"thumbicon.png"));
            else
                EXPECT_EQ(pixel(51, 82), colourOf(c.thumb)) << "no icon for this state";
        } else {
            EXPECT_EQ(pixel(55, 88), colourOf(L"bar.png")) << "a disabled bar shows no thumb";
        }
    }
}

TEST_F(SkinStyles, SliderHalvesMeetAtTheThumbCentre)
{
    load({{L"thumb.png", solidPng(20, 20, 0xFFC00000)},
          {L"thumbover.png", solidPng(20, 20, 0xFF00C000)},
          {L"thumbdown.png", solidPng(20, 20, 0xFF0000C0)},
          {L"half.png", solidPng(10, 4, 0xFF2040E0)},
          {L"rest.png", solidPng(10, 4, 0xFFA0A0A0)},
          {L"slider.xml", styleDocument("Slider", "thumbUpSkin=\"thumb.png\" thumbOverSkin=\"thumbover.png\" "
                                                  "thumbDownSkin=\"thumbdown.png\" trackSkin=\"half.png\" "
                                                  "barSkin=\"rest.png\"")}});
    Slider slider;
    slider.rect = {0, 0, 220, 20};
    EXPECT_EQ(slider.thumbRect({20, 20}), (Rect{100, 0, 120, 20}));
    const std::pair<uint64_t, uint32_t> cases[] = {
        {enabled, 0xC00000}, {enabled | checked, 0x00C000}, {enabled | captured | checked, 0x0000C0}, {0, 0xC00000}};
    for (const auto& [flags, thumb] : cases) {
        setState(slider, flags);
        paint(L"slider.xml", slider, {10, 50, 230, 70});
        EXPECT_EQ(pixel(115, 60), thumb) << std::hex << flags;
        EXPECT_EQ(pixel(10, 58), 0x2040E0u) << "the start of the track up to the thumb";
        EXPECT_EQ(pixel(109, 61), 0x2040E0u);
        EXPECT_EQ(pixel(130, 58), 0xA0A0A0u) << "the rest from the thumb's centre to the end";
        EXPECT_EQ(pixel(229, 58), 0xA0A0A0u);
        EXPECT_EQ(pixel(60, 57), 0xFFFFFFu) << "the halves are as high as their images, centred";
    }

    // a vertical slider runs from the top: the track down to the thumb's centre, the rest below
    slider.intProperties.set(PropertyKey::orientation, keywordValue(PropertyKey::vertical));
    slider.rect = {0, 0, 20, 100};
    setState(slider, enabled);
    paint(L"slider.xml", slider, {200, 0, 220, 100});
    EXPECT_EQ(pixel(210, 50), 0xC00000u);
    EXPECT_EQ(pixel(205, 10), 0x2040E0u);
    EXPECT_EQ(pixel(205, 90), 0xA0A0A0u);
    EXPECT_EQ(pixel(201, 10), 0xFFFFFFu);
}

TEST_F(SkinStyles, ControlsChooseTheirDefaultStyles)
{
    load({{L"checkbox.xml", styleDocument("Style", "upSkin=\"up.png\"")},
          {L"radiobutton.xml", styleDocument("Style", "upSkin=\"over.png\"")},
          {L"edit.xml", styleDocument("Edit", "upSkin=\"down.png\"")},
          {L"other.xml", styleDocument("Style", "upSkin=\"disabled.png\"")}});
    const Rect rect{0, 0, 40, 20};
    auto painted = [&](Control& control) {
        fill(0xFFFFFF);
        control.paint(dc(), rect, rect);
        return pixel(20, 10);
    };
    CheckBox box;
    setState(box, enabled);
    EXPECT_EQ(painted(box), colourOf(L"up.png")) << "checkbox.xml without a style of its own";
    box.textProperties.set(PropertyKey::style, L"other.xml");
    EXPECT_EQ(painted(box), colourOf(L"disabled.png"));
    box.textProperties.set(PropertyKey::style, L"absent.xml");
    EXPECT_EQ(painted(box), 0xFFFFFFu) << "a style that does not exist draws nothing";

    RadioButton radio;
    setState(radio, enabled);
    radio.textProperties.set(PropertyKey::style, L"other.xml");
    EXPECT_EQ(painted(radio), colourOf(L"over.png")) << "always radiobutton.xml";

    Edit edit;
    setState(edit, enabled);
    edit.textProperties.set(PropertyKey::style, L"absent.xml");
    EXPECT_EQ(painted(edit), colourOf(L"down.png")) << "edit.xml when the named style does not exist";
    edit.textProperties.set(PropertyKey::style, L"other.xml");
    EXPECT_EQ(painted(edit), colourOf(L"disabled.png"));

    // an image button draws its image first, then its style over it
    ImageButton image;
    setState(image, enabled);
    image.textProperties.set(PropertyKey::img, L"img.png");
    EXPECT_EQ(painted(image), colourOf(L"img.png"));
    image.textProperties.set(PropertyKey::style, L"other.xml");
    EXPECT_EQ(painted(image), colourOf(L"disabled.png"));
}
