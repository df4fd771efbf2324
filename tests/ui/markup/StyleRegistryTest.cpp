// The style registry: fonts from "font.xml", styles made once per name and shared, and clean failures.
#include "MarkupFixture.h"

#include <SkinImage.h>
#include <Style.h>
#include <Style_Background.h>
#include <Style_Button.h>
#include <Style_ButtonEx.h>
#include <Style_CheckButton.h>
#include <Style_CheckButtonEx.h>
#include <Style_ComboBox.h>
#include <Style_Edit.h>
#include <Style_IconButton.h>
#include <Style_ScrollBar.h>
#include <Style_Slider.h>
#include <Style_ToggleButton.h>
#include <Style_ToggleIconButton.h>

#include <windows.h>

#include <typeindex>
#include <typeinfo>

using testing_support::narrow;

namespace {

std::string styleDocument(const std::string& className, const std::string& properties)
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<style>\n  <class name=\"" + className +
           "\">\n    <properties " + properties + "/>\n  </class>\n</style>\n";
}

const std::string kFonts = "<fonts><font name=\"Default\" face=\"Tahoma\" size=\"12\"/></fonts>";

LOGFONTW fontParameters(HFONT font)
{
    LOGFONTW parameters{};
    EXPECT_EQ(GetObjectW(reinterpret_cast<HFONT>(font), sizeof parameters, &parameters), int(sizeof parameters));
    return parameters;
}

LOGFONTW stockParameters()
{
    LOGFONTW parameters{};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof parameters, &parameters);
    return parameters;
}

} // namespace

class Styles : public MarkupFixture {
protected:
    StyleRegistry& registry() { return *styleRegistry(); }
};

TEST_F(Styles, TheToolkitHasAnEmptyRegistryAfterStart)
{
    ASSERT_NE(styleRegistry(), nullptr);
    EXPECT_EQ(registry().style(L"button.xml"), nullptr);
    EXPECT_EQ(registry().font(L"Default"), nullptr);
}

TEST_F(Styles, ControlsNamingOneStyleShareIt)
{
    ASSERT_TRUE(loadStyles({{L"font.xml", kFonts}, {L"button.xml", styleDocument("Button", "upSkin=\"up.png\"")}}));
    Style* first = registry().style(L"button.xml");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(registry().style(L"button.xml"), first);

    // a property changed on the shared object is what every later lookup sees
    first->textProperties.set(PropertyKey::upSkin, L"changed.png");
    EXPECT_EQ(registry().style(L"button.xml")->textProperties.value(PropertyKey::upSkin, L""), L"changed.png");
    EXPECT_EQ(registry().styles.size(), 1u);
}

TEST_F(Styles, PropertiesComeFromTheDocument)
{
    ASSERT_TRUE(loadStyles({{L"font.xml", kFonts},
                            {L"button.xml", styleDocument("Button", "upSkin=\"up.png\" scaleGrid=\"4,4,4,4\" "
                                                                    "textColor=\"#FFFFFF\" downOffset=\"1\" "
                                                                    "textPlacement=\"left\" text=\"确定\"")}}));
    Style* style = registry().style(L"button.xml");
    ASSERT_NE(style, nullptr);
    EXPECT_EQ(style->textProperties.value(PropertyKey::upSkin, L""), L"up.png");
    EXPECT_EQ(style->rectProperties.value(PropertyKey::scaleGrid, Rect{}), (Rect{4, 4, 4, 4}));
    EXPECT_EQ(style->intProperties.value(PropertyKey::textColor, 0), 0xFFFFFF);
    EXPECT_EQ(style->intProperties.value(PropertyKey::downOffset, 0), 1);
    EXPECT_EQ(style->intProperties.value(PropertyKey::textPlacement, 0), keywordValue(PropertyKey::left));
    EXPECT_EQ(style->textProperties.value(PropertyKey::text, L""), L"确定");
}

TEST_F(Styles, MissingStyleIsNotCached)
{
    ASSERT_TRUE(loadStyles({{L"font.xml", kFonts}}));
    EXPECT_EQ(registry().style(L"absent.xml"), nullptr);
    EXPECT_EQ(registry().style(L"absent.xml"), nullptr);
    EXPECT_TRUE(registry().styles.empty());
    EXPECT_EQ(registry().style(L"Button.XML"), nullptr) << "names are case-sensitive";
}

TEST_F(Styles, EveryClassNameMakesItsClass)
{
    const std::pair<const char*, std::type_index> table[] = {
        {"Style", typeid(Style)},
        {"Background", typeid(Style_Background)},
        {"Button", typeid(Style_Button)},
        {"CheckButton", typeid(Style_CheckButton)},
        {"ComboBox", typeid(Style_ComboBox)},
        {"Edit", typeid(Style_Edit)},
        {"Slider", typeid(Style_Slider)},
        {"IconButton", typeid(Style_IconButton)},
        {"ToggleIconButton", typeid(Style_ToggleIconButton)},
        {"ScrollBar", typeid(Style_ScrollBar)},
        {"ButtonEx", typeid(Style_ButtonEx)},
        {"CheckButtonEx", typeid(Style_CheckButtonEx)},
        {"ToggleButton", typeid(Style_ToggleButton)},
    };
    EXPECT_EQ(Toolkit::instance()->elementFactory.styleCreators.size(), 13u);
    PackageEntries entries = {{L"font.xml", kFonts}};
    for (const auto& [name, type] : table)
        entries.push_back({std::wstring(name, name + strlen(name)) + L".xml", styleDocument(name, "img=\"a.png\"")});
    ASSERT_TRUE(loadStyles(entries));
    for (const auto& [name, type] : table) {
        Style* style = registry().style(std::wstring(name, name + strlen(name)) + L".xml");
        ASSERT_NE(style, nullptr) << name;
        EXPECT_EQ(std::type_index(typeid(*style)), type) << name;
    }
}

TEST_F(Styles, UnknownClassFallsBackToPlainStyle)
{
    ASSERT_TRUE(loadStyles({{L"font.xml", kFonts},
                            {L"fancy.xml", styleDocument("Fancy", "upSkin=\"up.png\"")},
                            {L"lower.xml", styleDocument("button", "upSkin=\"up.png\"")}}));
    for (const wchar_t* name : {L"fancy.xml", L"lower.xml"}) {
        Style* style = registry().style(name);
        ASSERT_NE(style, nullptr);
        EXPECT_EQ(std::type_index(typeid(*style)), std::type_index(typeid(Style)));
        EXPECT_EQ(style->textProperties.value(PropertyKey::upSkin, L""), L"up.png");
    }
}

TEST_F(Styles, TheClassIsTheFirstAttributeWhateverItsName)
{
    ASSERT_TRUE(loadStyles({{L"font.xml", kFonts},
                            {L"edit.xml", "<s><c kind=\"Edit\" name=\"Button\"><p upSkin=\"e.png\"/><q downSkin=\"x\"/></c></s>"}}));
    Style* style = registry().style(L"edit.xml");
    ASSERT_NE(style, nullptr);
    EXPECT_EQ(std::type_index(typeid(*style)), std::type_index(typeid(Style_Edit)));
    EXPECT_FALSE(style->textProperties.has(PropertyKey::downSkin)) << "only the first element is read";
}

TEST_F(Styles, IncompleteOrMalformedDocumentsAreLeftOut)
{
    ASSERT_TRUE(loadStyles({{L"font.xml", kFonts},
                            {L"noclass.xml", "<style/>"},
                            {L"noname.xml", "<style><class><properties upSkin=\"a\"/></class></style>"},
                            {L"noproperties.xml", "<style><class name=\"Button\"/></style>"},
                            {L"textclass.xml", "<style>Button<class name=\"Button\"><p/></class></style>"},
                            {L"broken.xml", "<style><class name=\"Button\"><properties upSkin=\"a></class></style>"},
                            {L"empty.xml", ""},
                            {L"good.xml", styleDocument("Button", "upSkin=\"a\"")}}));
    for (const wchar_t* name : {L"noclass.xml", L"noname.xml", L"noproperties.xml", L"textclass.xml",
                                L"broken.xml", L"empty.xml"}) {
        EXPECT_EQ(registry().style(name), nullptr) << narrow(name);
        EXPECT_EQ(registry().style(name), nullptr) << narrow(name);
    }
    EXPECT_NE(registry().style(L"good.xml"), nullptr);
}

TEST_F(Styles, FontSizeBoldAndUnderline)
{
    ASSERT_TRUE(loadStyles({{L"font.xml", "<fonts>\n"
                                          "  <font name=\"Title\" bold=\"true\" size=\"12\"/>\n"
                                          "  <font name=\"Body\" bold=\"yes\" underline=\"true\"/>\n"
                                          "  <font name=\"Plain\" underline=\"1\" face=\"Tahoma\"/>\n"
                                          "</fonts>"}}));
    LOGFONTW stock = stockParameters();
    LOGFONTW title = fontParameters(registry().font(L"Title"));
    EXPECT_EQ(title.lfHeight, -12);
    EXPECT_EQ(title.lfWeight, 700);
    EXPECT_EQ(title.lfUnderline, 0);
    EXPECT_STREQ(title.lfFaceName, stock.lfFaceName) << "the stock GUI font's face when absent";

    LOGFONTW body = fontParameters(registry().font(L"Body"));
    EXPECT_EQ(body.lfWeight, 400);
    EXPECT_EQ(body.lfUnderline, 1);
    EXPECT_EQ(body.lfHeight, stock.lfHeight);

    LOGFONTW plain = fontParameters(registry().font(L"Plain"));
    EXPECT_EQ(plain.lfUnderline, 0) << "only the exact text true underlines";
    EXPECT_EQ(plain.lfWeight, stock.lfWeight);
    EXPECT_STREQ(plain.lfFaceName, L"Tahoma");
}

TEST_F(Styles, LaterFontOfTheSameNameReplacesTheEarlier)
{
    ASSERT_TRUE(loadStyles({{L"font.xml", "<fonts><font name=\"Default\" size=\"12\"/><font size=\"20\" name=\"Default\"/></fonts>"}}));
    EXPECT_EQ(registry().fonts.size(), 1u);
    EXPECT_EQ(fontParameters(registry().font(L"Default")).lfHeight, -20);
}

TEST_F(Styles, ChineseFaceNameIsKept)
{
    ASSERT_TRUE(loadStyles({{L"font.xml", "<fonts><font name=\"默认\" face=\"微软雅黑\" size=\"13\"/></fonts>"}}));
    ASSERT_NE(registry().font(L"默认"), nullptr);
    EXPECT_STREQ(fontParameters(registry().font(L"默认")).lfFaceName, L"微软雅黑");
}

TEST_F(Styles, FontsThatCannotBeMadeAreSkipped)
{
    std::wstring error;
    EXPECT_FALSE(loadStyles({{L"font.xml", "<fonts>\n"
                                           "  <font face=\"Tahoma\" size=\"12\"/>\n"
                                           "  <font name=\"Long\" face=\"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdef\"/>\n"
                                           "  <font name=\"Max\" face=\"ABCDEFGHIJKLMNOPQRSTUVWXYZabcde\"/>\n"
                                           "  <font name=\"Default\" size=\"12\"/>\n"
                                           "</fonts>"}},
                            &error));
    EXPECT_EQ(error, L"\"font.xml\", font element 1 has no name\n"
                     L"\"font.xml\", font element 2: the face \"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdef\" is longer "
                     L"than 31 characters");
    EXPECT_EQ(registry().font(L"Long"), nullptr);
    ASSERT_NE(registry().font(L"Max"), nullptr) << "31 characters fit";
    EXPECT_STREQ(fontParameters(registry().font(L"Max")).lfFaceName, L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcde");
    EXPECT_NE(registry().font(L"Default"), nullptr);
    EXPECT_EQ(registry().fonts.size(), 2u);
}

TEST_F(Styles, MalformedFontDocumentLeavesFontsOut)
{
    std::wstring error;
    EXPECT_FALSE(loadStyles({{L"font.xml", "<fonts><font name=\"Default\" size=\"12\"></fonts>"},
                             {L"button.xml", styleDocument("Button", "upSkin=\"a\"")}},
                            &error));
    EXPECT_EQ(error, L"\"font.xml\": unexpected end of data at line 1, column 47");
    EXPECT_TRUE(registry().fonts.empty());
    EXPECT_NE(registry().style(L"button.xml"), nullptr) << "the package itself stays usable";
}

TEST_F(Styles, MissingFontDocumentLeavesThePackageUsable)
{
    std::wstring error;
    EXPECT_FALSE(loadStyles({{L"button.xml", styleDocument("Button", "upSkin=\"a\"")}}, &error));
    EXPECT_EQ(error, L"the style package \"style.lz\" has no \"font.xml\"");
    EXPECT_NE(registry().style(L"button.xml"), nullptr);
}

TEST_F(Styles, UnreadableOrDamagedPackageLeavesTheRegistryEmpty)
{
    std::wstring error;
    EXPECT_FALSE(loadStylePackage(L"style.lz", &error));
    EXPECT_EQ(error, L"the style package \"style.lz\" cannot be read");
    EXPECT_EQ(registry().style(L"button.xml"), nullptr);

    files.files[L"style.lz"] = std::string(64, '\xFF');
    EXPECT_FALSE(loadStylePackage(L"style.lz", &error));
    EXPECT_EQ(error.rfind(L"the style package \"style.lz\" is damaged", 0), 0u) << narrow(error);
    EXPECT_FALSE(registry().stylePackage);
}

TEST_F(Styles, LoadingAgainStartsFromEmpty)
{
    ASSERT_TRUE(loadStyles({{L"font.xml", "<fonts><font name=\"Old\"/></fonts>"},
                            {L"button.xml", styleDocument("Button", "")}}));
    ASSERT_NE(registry().style(L"button.xml"), nullptr);
    ASSERT_TRUE(loadStyles({{L"font.xml", "<fonts><font name=\"New\"/></fonts>"}}));
    EXPECT_EQ(registry().font(L"Old"), nullptr);
    EXPECT_NE(registry().font(L"New"), nullptr);
    EXPECT_EQ(registry().style(L"button.xml"), nullptr);
}

TEST_F(Styles, ClearReleasesEverything)
{
    ASSERT_TRUE(loadStyles({{L"font.xml", kFonts}, {L"button.xml", styleDocument("Button", "")}}));
    ASSERT_NE(registry().style(L"button.xml"), nullptr);
    registry().clear();
    EXPECT_EQ(registry().font(L"Default"), nullptr);
    EXPECT_EQ(registry().style(L"button.xml"), nullptr);
    EXPECT_FALSE(registry().stylePackage);
    EXPECT_TRUE(registry().styles.empty());
}

TEST_F(Styles, ImagesAreCachedOncePerNameDecodedOrNot)
{
    ASSERT_TRUE(loadStyles({{L"font.xml", kFonts}, {L"broken.png", "\x89PNG"}}));
    // an undecodable image is cached without a bitmap: one read and one decode for the name
    SkinImage* broken = registry().image(L"broken.png");
    ASSERT_NE(broken, nullptr);
    EXPECT_EQ(broken->bitmap(), nullptr);
    EXPECT_EQ(registry().image(L"broken.png"), broken);
    // a name the package lacks is not cached: every lookup asks the package again
    EXPECT_EQ(registry().image(L"absent.png"), nullptr);
    EXPECT_EQ(registry().image(L"absent.png"), nullptr);
    EXPECT_EQ(registry().images.size(), 1u);
    EXPECT_EQ(registry().image(L"Broken.png"), nullptr) << "names are case-sensitive";
}

TEST(StylesWithoutToolkit, LoadingFailsCleanly)
{
    std::wstring error;
    EXPECT_EQ(styleRegistry(), nullptr);
    EXPECT_FALSE(loadStylePackage(L"style.lz", &error));
    EXPECT_FALSE(error.empty());
}
