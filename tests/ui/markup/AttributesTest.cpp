// Attribute setters and value formats: what each attribute of an element stores on its control.
#include "MarkupFixture.h"

#include <Attributes.h>
#include <Button.h>
#include <Label.h>
#include <Style.h>
#include <XmlDocument.h>

#include <set>

namespace {

// Builds one element (without a frame package) the way window markup does.
std::unique_ptr<Control> element(const std::string& markup)
{
    XmlDocument document;
    std::string error;
    EXPECT_TRUE(document.parse(markup.data(), markup.size(), &error)) << error;
    return buildElement(document.firstNode());
}

Rect rectOf(const Object& object, PropertyKey key)
{
    return object.rectProperties.value(key, Rect{-9, -9, -9, -9});
}

int32_t intOf(const Object& object, PropertyKey key)
{
    return object.intProperties.value(key, -999);
}

int propertyCount(const Object& object)
{
    return object.intProperties.count() + object.sizeProperties.count() + object.rectProperties.count() +
           object.textProperties.count();
}

} // namespace

class Attributes : public MarkupFixture {};

TEST_F(Attributes, RectangleWithAndWithoutSpaces)
{
    EXPECT_EQ(rectOf(*element("<Label margin=\"4,2,4,2\"/>"), PropertyKey::margin), (Rect{4, 2, 4, 2}));
    EXPECT_EQ(rectOf(*element("<Label margin=\"4, 2, 4, 2\"/>"), PropertyKey::margin), (Rect{4, 2, 4, 2}));
    EXPECT_EQ(rectOf(*element("<Label margin=\"4 ,2,4,2\"/>"), PropertyKey::margin), (Rect{4, 0, 0, 0}))
        << "a space before the comma stops the reading after the first number";
}

TEST_F(Attributes, UnreadableNumbersStoreZero)
{
    EXPECT_EQ(rectOf(*element("<Label padding=\"wide\"/>"), PropertyKey::padding), (Rect{0, 0, 0, 0}));
    EXPECT_EQ(rectOf(*element("<Label padding=\"1,2\"/>"), PropertyKey::padding), (Rect{1, 2, 0, 0}));
    EXPECT_EQ(element("<Window initSize=\"640\"/>")->sizeProperties.value(PropertyKey::initSize, Size{-1, -1}),
              (Size{640, 0}));
    EXPECT_EQ(intOf(*element("<Label x=\"left\"/>"), PropertyKey::x), 0);
}

TEST_F(Attributes, SizeReadsWidthAndHeight)
{
    auto window = element("<Window initSize=\"640, 480\" roundCorner=\"6,6\"/>");
    EXPECT_EQ(window->sizeProperties.value(PropertyKey::initSize, Size{}), (Size{640, 480}));
    EXPECT_EQ(window->sizeProperties.value(PropertyKey::roundCorner, Size{}), (Size{6, 6}));
}

TEST_F(Attributes, IntegersReadLikePercentD)
{
    auto label = element("<Label id=\"1004\" width=\"-1\" height=\"12px\" x=\"  7\"/>");
    EXPECT_EQ(intOf(*label, PropertyKey::id), 1004);
    EXPECT_EQ(intOf(*label, PropertyKey::width), -1);
    EXPECT_EQ(intOf(*label, PropertyKey::height), 12);
    EXPECT_EQ(intOf(*label, PropertyKey::x), 7);
}

TEST_F(Attributes, ColourDigitsInWrittenOrder)
{
    EXPECT_EQ(intOf(*element("<Label color=\"#3333CC\"/>"), PropertyKey::color), 0x3333CC);
    EXPECT_EQ(intOf(*element("<Label color=\"#3333CG\"/>"), PropertyKey::color), 0x3333C0)
        << "a letter that is no hexadecimal digit counts as 0";
    EXPECT_EQ(intOf(*element("<Label textColor=\"x6666ff\"/>"), PropertyKey::textColor), 0x6666FF)
        << "the leading character is not examined";
    EXPECT_EQ(intOf(*element("<Label color=\"#12\"/>"), PropertyKey::color), 0x120000);
}

TEST_F(Attributes, KeywordsAreCaseSensitive)
{
    EXPECT_EQ(intOf(*element("<Label horizontalAlign=\"center\"/>"), PropertyKey::horizontalAlign),
              keywordValue(PropertyKey::center));
    EXPECT_EQ(intOf(*element("<Label horizontalAlign=\"Center\"/>"), PropertyKey::horizontalAlign), 0);
    EXPECT_EQ(intOf(*element("<Label dock=\"middle\"/>"), PropertyKey::dock), 0);
}

TEST_F(Attributes, EveryKeywordIsAcceptedByEveryKeywordAttribute)
{
    const char* keywords[] = {"left", "right", "top", "bottom", "center", "stretch", "horizontal",
                              "vertical", "true", "false", "auto", "always", "never"};
    const char* attributes[] = {"textPlacement", "horizontalAlign", "verticalAlign", "dock",
                                "orientation", "tabPlacement", "textAlign"};
    for (const char* attribute : attributes) {
        for (int i = 0; i < 13; ++i) {
            auto label = element(std::string("<Label ") + attribute + "=\"" + keywords[i] + "\"/>");
            PropertyKey key = propertyKey(std::wstring(attribute, attribute + strlen(attribute)));
            EXPECT_EQ(intOf(*label, key), keywordValue(propertyKeyAt(87 + i))) << attribute << "=" << keywords[i];
        }
    }
}

TEST_F(Attributes, TextIsCopiedUnchanged)
{
    auto label = element("<Label text=\"  two  spaces \" font='Title' url=\"a&lt;b\"/>");
    EXPECT_EQ(label->textProperties.value(PropertyKey::text, L""), L"  two  spaces ");
    EXPECT_EQ(label->textProperties.value(PropertyKey::font, L""), L"Title");
    EXPECT_EQ(label->textProperties.value(PropertyKey::url, L""), L"a&lt;b");
}

TEST_F(Attributes, VisibleTrueHides)
{
    auto label = element("<Label visible=\"true\"/>");
    EXPECT_FALSE(label->hasFlags(Flag::visible)) << "only the exact text 1 sets a flag bit";
    EXPECT_TRUE(element("<Label visible=\"1\"/>")->hasFlags(Flag::visible));
    EXPECT_FALSE(element("<Label visible=\" 1\"/>")->hasFlags(Flag::visible));
}

TEST_F(Attributes, EnabledAndTransparentSetTheirBitsOnly)
{
    auto button = element("<Button enabled=\"0\" transparent=\"1\"/>");
    EXPECT_EQ(button->flags(), (Button::kInitialFlags & ~Flag::enabled) | Flag::mouseTransparent);
    auto label = element("<Label transparent=\"0\"/>");
    EXPECT_EQ(label->flags(), Label::kInitialFlags & ~Flag::mouseTransparent);
    EXPECT_EQ(propertyCount(*label), 0) << "flag attributes are no properties";
}

TEST_F(Attributes, LaterAttributeWins)
{
    auto label = element("<Label id=\"1\" visible=\"0\" id=\"2\" visible=\"1\"/>");
    EXPECT_EQ(intOf(*label, PropertyKey::id), 2);
    EXPECT_TRUE(label->hasFlags(Flag::visible));
    EXPECT_EQ(label->intProperties.count(), 1);
}

TEST_F(Attributes, UnknownAttributesAndScrollModesAreIgnored)
{
    auto panel = element("<ScrollPanel scrollvertical=\"never\" scrollhorizontal=\"always\" Id=\"3\" colour=\"#fff\"/>");
    EXPECT_EQ(propertyCount(*panel), 0);
}

TEST_F(Attributes, TheTableHoldsEightyFiveSettersOfSixKinds)
{
    const std::set<std::string> ints = {"downOffset", "iconGap", "multiline", "disabledAlpha", "id", "x", "y",
                                        "width", "height", "rows", "columns", "tabHeight", "tabOffset",
                                        "itemHeight", "textspace", "texteditable"};
    const std::set<std::string> rects = {"scaleGrid", "margin", "thumbScaleGrid", "padding",
                                         "progressbkScaleGrid", "progressmargin", "progressScaleGrid"};
    const std::set<std::string> sizes = {"initSize", "roundCorner", "textpadding"};
    const std::set<std::string> colors = {"textColor", "color"};
    const std::set<std::string> keywords = {"textPlacement", "horizontalAlign", "verticalAlign", "dock",
                                            "orientation", "tabPlacement", "textAlign"};
    // the 85 of the name table, and the accessible name
    EXPECT_EQ(Toolkit::instance()->setterTable.size(), 86u);
    EXPECT_EQ(Toolkit::instance()->setterTable.count(L"accName"), 1u);

    int texts = 0;
    for (int entry = 0; entry <= 86; ++entry) {
        std::wstring_view wideName = propertyName(propertyKeyAt(entry));
        std::string name(wideName.begin(), wideName.end());
        if (name == "scrollvertical" || name == "scrollhorizontal")
            continue;
        // "#1,2,3,4" reads differently by kind: text keeps it, a colour sees digits, numbers see none
        auto label = element("<Label " + name + "=\"#1,2,3,4\"/>");
        PropertyKey key = propertyKeyAt(entry);
        if (ints.count(name)) {
            EXPECT_EQ(label->intProperties.value(key, -1), 0) << name;
        } else if (rects.count(name)) {
            EXPECT_EQ(label->rectProperties.value(key, Rect{-1, -1, -1, -1}), (Rect{0, 0, 0, 0})) << name;
        } else if (sizes.count(name)) {
            EXPECT_EQ(label->sizeProperties.value(key, Size{-1, -1}), (Size{0, 0})) << name;
        } else if (colors.count(name)) {
            EXPECT_EQ(label->intProperties.value(key, -1), 0x102030) << name;
        } else if (keywords.count(name)) {
            EXPECT_EQ(label->intProperties.value(key, -1), 0) << name;
        } else {
            EXPECT_EQ(label->textProperties.value(key, L""), L"#1,2,3,4") << name;
            ++texts;
        }
        EXPECT_EQ(propertyCount(*label), 1) << name;
    }
    EXPECT_EQ(texts, 50);
}

TEST_F(Attributes, StylesTakePropertiesButNoFlags)
{
    XmlDocument document;
    std::string markup = "<properties upSkin=\"up.png\" scaleGrid=\"4,4,4,4\" visible=\"0\" enabled=\"0\"/>";
    ASSERT_TRUE(document.parse(markup.data(), markup.size(), nullptr));
    std::unique_ptr<Style> style(new Style());
    applyAttributes(style.get(), document.firstNode());
    EXPECT_EQ(style->textProperties.value(PropertyKey::upSkin, L""), L"up.png");
    EXPECT_EQ(style->rectProperties.value(PropertyKey::scaleGrid, Rect{}), (Rect{4, 4, 4, 4}));
    EXPECT_EQ(propertyCount(*style), 2);
}
