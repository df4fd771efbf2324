// Window markup: the frame package, the element factory and the rules that turn elements into controls.
#include "MarkupFixture.h"

#include <Button.h>
#include <Canvas.h>
#include <CheckBox.h>
#include <ComboBox.h>
#include <DockPanel.h>
#include <Drawing.h>
#include <Edit.h>
#include <Grid.h>
#include <IconButton.h>
#include <ImageButton.h>
#include <Label.h>
#include <LinkLabel.h>
#include <ListBox.h>
#include <PowerPoint.h>
#include <ProgressBar.h>
#include <RadioButton.h>
#include <ScrollPanel.h>
#include <Seperator.h>
#include <Slider.h>
#include <StackPanel.h>
#include <TabControl.h>
#include <TabItem.h>
#include <TextBox.h>
#include <TitleBar.h>
#include <ToggleButton.h>
#include <ToggleIconButton.h>
#include <WebBrowser.h>

#include <typeindex>
#include <typeinfo>

using testing_support::narrow;

namespace {

int32_t idOf(const Control* control)
{
    return control ? control->intProperties.value(PropertyKey::id, -1) : -1;
}

std::wstring textOf(const Control* control)
{
    return control ? control->textProperties.value(PropertyKey::text, L"(absent)") : L"(null)";
}

} // namespace

class WindowMarkup : public MarkupFixture {};

TEST_F(WindowMarkup, UnknownElementIsLeftOutWithEverythingInside)
{
    auto root = buildMarkup("<Window><Frobnicator><Button id=\"1\"/></Frobnicator><Label id=\"2\"/></Window>");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(std::type_index(typeid(*root)), std::type_index(typeid(Grid)));
    auto* window = static_cast<Panel*>(root.get());
    ASSERT_EQ(window->childCount(), 1);
    EXPECT_NE(dynamic_cast<Label*>(window->firstChild()), nullptr);
    EXPECT_EQ(idOf(window->firstChild()), 2);
}

TEST_F(WindowMarkup, TabItemKeepsItsFirstChildAsContent)
{
    auto root = buildMarkup(
        "<TabControl><TabItem text=\"one\"><Canvas id=\"11\"/><Canvas id=\"12\"/></TabItem></TabControl>");
    ASSERT_NE(root, nullptr);
    auto* tabs = static_cast<Panel*>(root.get());
    ASSERT_EQ(tabs->childCount(), 1);
    auto* item = dynamic_cast<TabItem*>(tabs->firstChild());
    ASSERT_NE(item, nullptr);
    ASSERT_NE(item->content, nullptr);
    EXPECT_NE(dynamic_cast<Canvas*>(item->content), nullptr);
    EXPECT_EQ(idOf(item->content), 11);
    EXPECT_EQ(item->content->parent(), nullptr) << "the page is not a child in the tree";
}

TEST_F(WindowMarkup, TabItemWithoutChildrenHasNoContent)
{
    auto root = buildMarkup("<TabControl><TabItem/></TabControl>");
    ASSERT_NE(root, nullptr);
    auto* item = dynamic_cast<TabItem*>(static_cast<Panel*>(root.get())->firstChild());
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->content, nullptr);
}

TEST_F(WindowMarkup, ChildrenFollowDocumentOrder)
{
    auto root = buildMarkup(
        "<StackPanel>\n  <Label id=\"1\"/>\n  <Button id=\"2\"/>\n  <Label id=\"3\"/>\n</StackPanel>");
    ASSERT_NE(root, nullptr);
    auto* panel = static_cast<Panel*>(root.get());
    ASSERT_EQ(panel->childCount(), 3);
    EXPECT_EQ(idOf(panel->firstChild()), 1);
    EXPECT_EQ(idOf(panel->childAt(1)), 2);
    EXPECT_EQ(idOf(panel->lastChild()), 3);
    EXPECT_EQ(panel->firstChild()->parent(), panel);
}

TEST_F(WindowMarkup, NestedPanelsBuildTheirOwnChildren)
{
    auto root = buildMarkup("<Window><DockPanel id=\"5\"><Canvas><Label id=\"7\"/></Canvas></DockPanel></Window>");
    ASSERT_NE(root, nullptr);
    auto* dock = dynamic_cast<DockPanel*>(static_cast<Panel*>(root.get())->firstChild());
    ASSERT_NE(dock, nullptr);
    auto* canvas = dynamic_cast<Canvas*>(dock->firstChild());
    ASSERT_NE(canvas, nullptr);
    EXPECT_EQ(idOf(canvas->firstChild()), 7);
}

TEST_F(WindowMarkup, EntityReferenceStaysAsWritten)
{
    auto root = buildMarkup("<Label text=\"Tom &amp; Jerry &#20013;\"/>");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(textOf(root.get()), L"Tom &amp; Jerry &#20013;");
}

TEST_F(WindowMarkup, DeclarationAndCommentsAreIgnored)
{
    auto root = buildMarkup("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!-- the main window -->\n"
                            "<Window id=\"9\"><!-- a page --><Label/></Window>\n<!-- done -->\n");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(idOf(root.get()), 9);
    EXPECT_EQ(static_cast<Panel*>(root.get())->childCount(), 1);
}

TEST_F(WindowMarkup, TextBetweenElementsIsSkipped)
{
    auto root = buildMarkup("<Canvas>hello<Label id=\"1\"/><![CDATA[data]]>world<Label id=\"2\"/></Canvas>");
    ASSERT_NE(root, nullptr);
    auto* canvas = static_cast<Panel*>(root.get());
    ASSERT_EQ(canvas->childCount(), 2);
    EXPECT_EQ(idOf(canvas->firstChild()), 1);
    EXPECT_EQ(idOf(canvas->lastChild()), 2);
}

TEST_F(WindowMarkup, ChildrenOfNonContainersAreIgnored)
{
    auto root = buildMarkup("<Window><Button id=\"1\"><Label id=\"2\"/></Button><Label id=\"3\"/></Window>");
    ASSERT_NE(root, nullptr);
    auto* window = static_cast<Panel*>(root.get());
    ASSERT_EQ(window->childCount(), 2);
    EXPECT_EQ(idOf(window->firstChild()), 1);
    EXPECT_EQ(idOf(window->lastChild()), 3);
}

TEST_F(WindowMarkup, ChineseAttributeTextSurvives)
{
    // 欢 is U+6B22: its low byte is the code of the double quote, which must not end the value
    auto root = buildMarkup("<Label text=\"欢迎安装\" tooltip=\"点击“下一步”继续\"/>");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(textOf(root.get()), L"欢迎安装");
    EXPECT_EQ(root->textProperties.value(PropertyKey::tooltip, L""), L"点击“下一步”继续");
}

TEST_F(WindowMarkup, ByteOrderMarkIsAccepted)
{
    auto root = buildMarkup("\xEF\xBB\xBF<Window id=\"4\"/>");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(idOf(root.get()), 4);
}

TEST_F(WindowMarkup, EveryElementNameMakesItsClass)
{
    const std::pair<const char*, std::type_index> table[] = {
        {"Canvas", typeid(Canvas)},           {"StackPanel", typeid(StackPanel)},
        {"DockPanel", typeid(DockPanel)},     {"Grid", typeid(Grid)},
        {"TabControl", typeid(TabControl)},   {"ComboBox", typeid(ComboBox)},
        {"ToggleIconButton", typeid(ToggleIconButton)}, {"Edit", typeid(Edit)},
        {"Image", typeid(Drawing)},           {"Label", typeid(Label)},
        {"Slider", typeid(Slider)},           {"Button", typeid(Button)},
        {"IconButton", typeid(IconButton)},   {"ToggleButton", typeid(ToggleButton)},
        {"RadioButton", typeid(RadioButton)}, {"CheckBox", typeid(CheckBox)},
        {"TitleBar", typeid(TitleBar)},       {"TabItem", typeid(TabItem)},
        {"ListBox", typeid(ListBox)},         {"Window", typeid(Grid)},
        {"ScrollPanel", typeid(ScrollPanel)}, {"TextBox", typeid(TextBox)},
        {"WebBrowser", typeid(WebBrowser)},   {"Seperator", typeid(Seperator)},
        {"ImageButton", typeid(ImageButton)}, {"PowerPoint", typeid(PowerPoint)},
        {"LinkLabel", typeid(LinkLabel)},     {"ProgressBar", typeid(ProgressBar)},
    };
    EXPECT_EQ(std::size(table), 28u);
    EXPECT_EQ(Toolkit::instance()->elementFactory.controlCreators.size(), 28u);
    for (const auto& [name, type] : table) {
        auto control = buildMarkup(std::string("<") + name + "/>");
        ASSERT_NE(control, nullptr) << name;
        EXPECT_EQ(std::type_index(typeid(*control)), type) << name;
    }
}

TEST_F(WindowMarkup, ElementNamesAreCaseSensitive)
{
    std::wstring error;
    EXPECT_EQ(buildMarkup("<window><Label/></window>", &error), nullptr);
    EXPECT_EQ(error, L"window markup \"test.xml\": the root element \"window\" is not a control");
}

TEST_F(WindowMarkup, MalformedMarkupFailsWithMessageAndPosition)
{
    std::wstring error;
    auto root = buildMarkup("<Window>\n  <Label text=\"x\"</Window>", &error);
    EXPECT_EQ(root, nullptr);
    EXPECT_EQ(error.rfind(L"window markup \"test.xml\": expected ", 0), 0u) << narrow(error);
    EXPECT_NE(error.find(L" at line 2, column "), std::wstring::npos) << narrow(error);
}

TEST_F(WindowMarkup, TruncatedMarkupFails)
{
    std::wstring error;
    EXPECT_EQ(buildMarkup("<Window><Label text=\"abc\"/>", &error), nullptr);
    EXPECT_EQ(error, L"window markup \"test.xml\": unexpected end of data at line 1, column 28");
    EXPECT_EQ(buildMarkup("<Window><Label text=\"abc", &error), nullptr);
    EXPECT_EQ(error, L"window markup \"test.xml\": expected ' or \" at line 1, column 25");
}

TEST_F(WindowMarkup, NestingDepthIsBounded)
{
    auto nested = [](int depth) {
        std::string markup;
        for (int i = 0; i < depth; ++i)
            markup += "<Canvas>";
        for (int i = 0; i < depth; ++i)
            markup += "</Canvas>";
        return markup;
    };
    EXPECT_NE(buildMarkup(nested(XmlDocument::kMaxDepth)), nullptr);
    std::wstring error;
    EXPECT_EQ(buildMarkup(nested(XmlDocument::kMaxDepth + 1), &error), nullptr);
    EXPECT_EQ(error, L"window markup \"test.xml\": elements nested deeper than 512 levels");
}

TEST_F(WindowMarkup, EmptyDocumentHasNoRoot)
{
    std::wstring error;
    EXPECT_EQ(buildMarkup("<?xml version=\"1.0\"?>\n<!-- nothing -->\n", &error), nullptr);
    EXPECT_EQ(error, L"window markup \"test.xml\" has no root element");
}

TEST_F(WindowMarkup, MissingEntryFails)
{
    addPackage(L"frame.lz", {{L"mainframe.xml", "<Window/>"}});
    ASSERT_TRUE(loadFramePackage(L"frame.lz"));
    std::wstring error;
    EXPECT_EQ(buildWindowTree(L"proxywindow.xml", &error), nullptr);
    EXPECT_EQ(error, L"window markup \"proxywindow.xml\" is not in the frame package");
    EXPECT_NE(buildWindowTree(L"mainframe.xml"), nullptr);
    EXPECT_EQ(buildWindowTree(L"MainFrame.xml"), nullptr) << "entry names are case-sensitive";
}

TEST_F(WindowMarkup, NothingBuildsBeforeTheFramePackageIsLoaded)
{
    std::wstring error;
    EXPECT_EQ(buildWindowTree(L"mainframe.xml", &error), nullptr);
    EXPECT_EQ(error, L"window markup \"mainframe.xml\": no frame package is loaded");
}

TEST_F(WindowMarkup, UnreadableFramePackageFailsCleanly)
{
    std::wstring error;
    EXPECT_FALSE(loadFramePackage(L"frame.lz", &error));
    EXPECT_EQ(error, L"the frame package \"frame.lz\" cannot be read");
    EXPECT_EQ(buildWindowTree(L"mainframe.xml"), nullptr);

    files.files[L"frame.lz"] = "this is no package at all";
    EXPECT_FALSE(loadFramePackage(L"frame.lz", &error));
    EXPECT_EQ(error.rfind(L"the frame package \"frame.lz\" is damaged", 0), 0u) << narrow(error);
    EXPECT_EQ(loadedFramePackage(), nullptr);
}

TEST_F(WindowMarkup, LoadingAgainReplacesThePackage)
{
    addPackage(L"first.lz", {{L"a.xml", "<Label id=\"1\"/>"}});
    addPackage(L"second.lz", {{L"b.xml", "<Label id=\"2\"/>"}});
    ASSERT_TRUE(loadFramePackage(L"first.lz"));
    ASSERT_TRUE(loadFramePackage(L"second.lz"));
    EXPECT_EQ(buildWindowTree(L"a.xml"), nullptr);
    EXPECT_EQ(idOf(buildWindowTree(L"b.xml").get()), 2);
}

TEST_F(WindowMarkup, EachBuildMakesAFreshTree)
{
    addPackage(L"frame.lz", {{L"mainframe.xml", "<Window><Label/></Window>"}});
    ASSERT_TRUE(loadFramePackage(L"frame.lz"));
    auto first = buildWindowTree(L"mainframe.xml");
    auto second = buildWindowTree(L"mainframe.xml");
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first.get(), second.get());
    EXPECT_EQ(first->window(), nullptr) << "not attached to any window";
}

TEST(WindowMarkupWithoutToolkit, FailsCleanly)
{
    std::wstring error;
    EXPECT_FALSE(loadFramePackage(L"frame.lz", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(buildWindowTree(L"mainframe.xml", &error), nullptr);
    EXPECT_EQ(error, L"window markup \"mainframe.xml\": no frame package is loaded");
}
