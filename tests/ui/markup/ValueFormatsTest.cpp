// Attribute value formats and the XML parse: what markup authors write and what gets stored.
#include <ValueFormats.h>
#include <XmlDocument.h>

#include <gtest/gtest.h>

#include <climits>

using namespace duiField;

TEST(IntFormat, ReadsLikePercentD)
{
    EXPECT_EQ(parseInt(u"1004"), 1004);
    EXPECT_EQ(parseInt(u"-1"), -1);
    EXPECT_EQ(parseInt(u"  +7"), 7);
    EXPECT_EQ(parseInt(u"12px"), 12);
    EXPECT_EQ(parseInt(u"px12"), 0);
    EXPECT_EQ(parseInt(u""), 0);
    EXPECT_EQ(parseInt(u"-"), 0);
    EXPECT_EQ(parseInt(u"99999999999"), INT_MAX);
    EXPECT_EQ(parseInt(u"-99999999999"), INT_MIN);
    EXPECT_EQ(parseInt(u"１２"), 0) << "only ASCII digits are digits";
}

TEST(RectFormat, CommasFollowTheirNumbers)
{
    int32_t r[4];
    EXPECT_EQ(parseInts(u"4,2,4,2", r, 4), 4);
    EXPECT_EQ((std::vector<int32_t>(r, r + 4)), (std::vector<int32_t>{4, 2, 4, 2}));
    EXPECT_EQ(parseInts(u"4, 2, 4, 2", r, 4), 4);
    EXPECT_EQ((std::vector<int32_t>(r, r + 4)), (std::vector<int32_t>{4, 2, 4, 2}));
    EXPECT_EQ(parseInts(u"4 ,2,4,2", r, 4), 1);
    EXPECT_EQ((std::vector<int32_t>(r, r + 4)), (std::vector<int32_t>{4, 0, 0, 0}));
    EXPECT_EQ(parseInts(u"1,2", r, 4), 2);
    EXPECT_EQ((std::vector<int32_t>(r, r + 4)), (std::vector<int32_t>{1, 2, 0, 0}));
    EXPECT_EQ(parseInts(u"abc", r, 4), 0);
    EXPECT_EQ((std::vector<int32_t>(r, r + 4)), (std::vector<int32_t>{0, 0, 0, 0}));
    EXPECT_EQ(parseInts(u"-3,-4", r, 2), 2);
    EXPECT_EQ(r[0], -3);
    EXPECT_EQ(r[1], -4);
}

TEST(ColorFormat, SixDigitsInTheirWrittenOrder)
{
    EXPECT_EQ(parseColor(u"#3333CC"), 0x3333CC);
    EXPECT_EQ(parseColor(u"#3333cc"), 0x3333CC);
    EXPECT_EQ(parseColor(u"#3333CG"), 0x3333C0) << "a non-digit counts as 0";
    EXPECT_EQ(parseColor(u"x000001"), 1) << "the leading character is not examined";
    EXPECT_EQ(parseColor(u"#12"), 0x120000) << "missing digits count as 0";
    EXPECT_EQ(parseColor(u""), 0);
}

TEST(XmlParse, DeclarationCommentsAndEntitiesAreKeptOutOrVerbatim)
{
    std::string text = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!-- a comment -->\n"
                       "<Window text=\"Tom &amp; Jerry\"><Label text='欢迎使用'/></Window>";
    XmlDocument doc;
    std::string error;
    ASSERT_TRUE(doc.parse(text.data(), text.size(), &error)) << error;
    XmlNode* root = doc.firstNode();
    ASSERT_TRUE(root);
    EXPECT_EQ(xmlName(root), u"Window");
    EXPECT_EQ(xmlValue(root->first_attribute()), u"Tom &amp; Jerry");
    EXPECT_EQ(xmlValue(root->first_node()->first_attribute()), u"欢迎使用");
}

TEST(XmlParse, ChineseTextNeverReadsAsMarkup)
{
    // 欢 is U+6B22: its low byte is the double quote, which a parser that looks at low bytes
    // would take for the end of the value.
    std::string text = "<Window text=\"欢迎，安装向导\" tooltip=\"丢失\"><丠/></Window>";
    XmlDocument doc;
    std::string error;
    ASSERT_TRUE(doc.parse(text.data(), text.size(), &error)) << error;
    EXPECT_EQ(xmlValue(doc.firstNode()->first_attribute()), u"欢迎，安装向导");
    EXPECT_EQ(xmlName(doc.firstNode()->first_node()), u"丠");
}

TEST(XmlParse, MalformedDocumentsReportMessageAndPosition)
{
    struct Case {
        std::string text, message;
    } cases[] = {
        {"<Window>\n  <Label text=\"a\"\n</Window>", "line 3"},
        {"<Window", "expected >"},
        {"<Window>", "unexpected end of data"},
        {"Window/>", "expected <"},
        {"<Window a=1/>", "expected ' or \""},
        {"<Window a/>", "expected ="},
    };
    for (const Case& c : cases) {
        XmlDocument doc;
        std::string error;
        EXPECT_FALSE(doc.parse(c.text.data(), c.text.size(), &error)) << c.text;
        EXPECT_NE(error.find(c.message), std::string::npos) << c.text << " gave: " << error;
        EXPECT_EQ(doc.firstNode(), nullptr);
    }
}

TEST(XmlParse, EmptyDocumentHasNoRoot)
{
    XmlDocument doc;
    std::string error;
    EXPECT_TRUE(doc.parse("", 0, &error));
    EXPECT_EQ(doc.firstNode(), nullptr);
    EXPECT_TRUE(doc.parse(nullptr, 0, &error));
    EXPECT_EQ(doc.firstNode(), nullptr);
}

TEST(XmlParse, ByteOrderMarkIsAccepted)
{
    std::string text = "\xEF\xBB\xBF<Window/>";
    XmlDocument doc;
    std::string error;
    ASSERT_TRUE(doc.parse(text.data(), text.size(), &error)) << error;
    EXPECT_EQ(xmlName(doc.firstNode()), u"Window");
}

TEST(XmlParse, DeepNestingIsRefusedNotOverflowed)
{
    std::string deep;
    for (int i = 0; i < 100000; ++i)
        deep += "<a>";
    XmlDocument doc;
    std::string error;
    EXPECT_FALSE(doc.parse(deep.data(), deep.size(), &error));
    EXPECT_NE(error.find("nested"), std::string::npos) << error;

    std::string fine;
    for (int i = 0; i < 100; ++i)
        fine += "<a>";
    for (int i = 0; i < 100; ++i)
        fine += "</a>";
    EXPECT_TRUE(doc.parse(fine.data(), fine.size(), &error)) << error;
}

TEST(XmlParse, DeepNestingIsRefusedWhateverItsValuesAndTextHold)
{
    // closing-tag look-alikes inside attribute values, character data or comments close nothing
    const char* openings[] = {"<a v=\"</\">", "<a v='/>'>", "<a>/>", "<a><!--</-->"};
    for (const char* opening : openings) {
        std::string deep;
        for (int i = 0; i < 100000; ++i)
            deep += opening;
        XmlDocument doc;
        std::string error;
        EXPECT_FALSE(doc.parse(deep.data(), deep.size(), &error)) << opening;
        EXPECT_NE(error.find("nested"), std::string::npos) << opening << " gave: " << error;
    }

    // markup characters inside values, comments and CDATA do not count against a shallow document
    std::string fine;
    for (int i = 0; i < 300; ++i)
        fine += "<a v=\"<b><c>\"><!-- <d><e> --><![CDATA[<f>]]>";
    for (int i = 0; i < 300; ++i)
        fine += "</a>";
    XmlDocument doc;
    std::string error;
    EXPECT_TRUE(doc.parse(fine.data(), fine.size(), &error)) << error;
}
