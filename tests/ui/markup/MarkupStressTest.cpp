// Ten thousand damaged markup, style and font documents: every one fails cleanly or builds, none crashes.
//
// The parser and the value formats have a native fuzz target with sanitizers. The builders on top
// of them cannot join it: they create the toolkit's control and style classes and GDI fonts, which
// exist only in the Windows build, and libFuzzer and the sanitizers do not run under Wine. So the
// builders get this deterministic stress run over generated damage instead.
#include "MarkupFixture.h"

#include <Style.h>

#include <algorithm>
#include <cstdio>

using testing_support::narrow;

namespace {

constexpr int kDocuments = 10000;

const char* const kWindowSeeds[] = {
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!-- main -->\n<Window initSize=\"600,400\" style=\"bg.xml\">\n"
    "  <DockPanel id=\"1000\" margin=\"4, 2, 4, 2\">\n"
    "    <Label dock=\"top\" text=\"欢迎安装 &amp; 更新\" color=\"#3333CC\" visible=\"1\"/>\n"
    "    <StackPanel dock=\"bottom\" orientation=\"horizontal\">\n"
    "      <Button id=\"1003\" text=\"立即安装\" width=\"-1\" enabled=\"0\"/>\n"
    "      <CheckBox id=\"1001\" text='我已阅读' transparent=\"1\"/>\n"
    "    </StackPanel>\n  </DockPanel>\n</Window>\n",
    "<Window><TabControl tabHeight=\"30\" tabPlacement=\"top\"><TabItem text=\"一\"><Canvas><Label text=\"a\"/></Canvas>"
    "<Canvas/></TabItem><TabItem><![CDATA[x]]><Grid/></TabItem></TabControl>text<Unknown><Button/></Unknown></Window>",
    "<Grid rows=\"2\" columns=\"3\"><ScrollPanel scrollvertical=\"auto\"><ListBox itemHeight=\"24\"/></ScrollPanel>"
    "<Edit multiline=\"1\" grayTip=\"请输入\"/><TextBox texteditable=\"1\" textpadding=\"2,2\"/><ProgressBar "
    "progressmargin=\"1,1,1,1\"/><Slider/><Image src=\"a.png\"/><PowerPoint imagelist=\"a;b\"/></Grid>",
};

const char* const kStyleSeeds[] = {
    "<?xml version=\"1.0\"?>\n<style>\n  <class name=\"Button\">\n    <properties upSkin=\"up.png\" "
    "scaleGrid=\"4,4,4,4\" textColor=\"#FFFFFF\" downOffset=\"1\" textPlacement=\"left\"/>\n  </class>\n</style>\n",
    "<s><c name=\"ScrollBar\"><p barSkin=\"bar.png\" thumbScaleGrid=\"2,2,2,2\" upArrowUpSkin=\"箭头.png\"/></c></s>",
};

const char* const kFontSeeds[] = {
    "<?xml version=\"1.0\"?>\n<fonts>\n  <font name=\"Default\" face=\"Tahoma\" size=\"12\"/>\n"
    "  <font name=\"Title\" face=\"微软雅黑\" size=\"14\" bold=\"true\" underline=\"true\"/>\n</fonts>\n",
};

// A small deterministic generator, so that a failure can be replayed by its document number.
class Random {
public:
    explicit Random(uint64_t seed) : state_(seed) {}
    uint32_t next()
    {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return uint32_t(state_);
    }
    size_t below(size_t n) { return n ? next() % n : 0; }

private:
    uint64_t state_;
};

std::string damage(std::string text, Random& random)
{
    static const char kMarkup[] = "<>/=\"'&!?-[] \n\0";
    // half are plain truncations, the rest one to four mutations (which may truncate as well)
    if (random.below(2) == 0)
        return text.substr(0, random.below(text.size()));
    int count = 1 + int(random.below(4));
    for (int i = 0; i < count && !text.empty(); ++i) {
        size_t at = random.below(text.size());
        switch (random.below(6)) {
        case 0:
            text.resize(at);
            break;
        case 1:
            text[at] = kMarkup[random.below(sizeof kMarkup - 1)];
            break;
        case 2:
            text[at] = char(random.below(256));
            break;
        case 3:
            text.insert(at, 1, kMarkup[random.below(sizeof kMarkup - 1)]);
            break;
        case 4:
            text.erase(at, 1 + random.below(8));
            break;
        default: {
            size_t length = 1 + random.below(24);
            text.insert(random.below(text.size()), text.substr(at, length));
            break;
        }
        }
    }
    return text;
}

std::wstring documentName(int number)
{
    wchar_t name[32];
    std::swprintf(name, 32, L"doc%05d.xml", number);
    return name;
}

} // namespace

class MarkupStress : public MarkupFixture {};

TEST_F(MarkupStress, DamagedWindowMarkupFailsWithAReason)
{
    Random random(0x5EED0001);
    PackageEntries entries;
    for (int i = 0; i < kDocuments; ++i)
        entries.push_back({documentName(i), damage(kWindowSeeds[i % std::size(kWindowSeeds)], random)});
    addPackage(L"frame.lz", entries);
    ASSERT_TRUE(loadFramePackage(L"frame.lz"));

    int built = 0, parseErrors = 0;
    for (int i = 0; i < kDocuments; ++i) {
        std::wstring error;
        std::unique_ptr<Control> tree = buildWindowTree(documentName(i), &error);
        if (tree) {
            ++built;
            continue;
        }
        const std::wstring prefix = L"window markup \"" + documentName(i) + L"\"";
        ASSERT_EQ(error.rfind(prefix, 0), 0u) << "document " << i << ": " << narrow(error);
        if (error.find(L" at line ") != std::wstring::npos)
            ++parseErrors;
    }
    EXPECT_GT(parseErrors, kDocuments / 2) << "most damage is malformed XML";
    std::printf("%d trees built, %d malformed, %d failed otherwise\n", built, parseErrors,
                kDocuments - built - parseErrors);
}

TEST_F(MarkupStress, DamagedStyleDocumentsAreLeftOut)
{
    Random random(0x5EED0002);
    PackageEntries entries = {{L"font.xml", kFontSeeds[0]}};
    for (int i = 0; i < kDocuments; ++i)
        entries.push_back({documentName(i), damage(kStyleSeeds[i % std::size(kStyleSeeds)], random)});
    ASSERT_TRUE(loadStyles(entries));

    int made = 0;
    for (int i = 0; i < kDocuments; ++i) {
        Style* style = styleRegistry()->style(documentName(i));
        if (style) {
            ++made;
            EXPECT_EQ(styleRegistry()->style(documentName(i)), style) << "document " << i;
        }
    }
    EXPECT_EQ(styleRegistry()->styles.size(), size_t(made));
    EXPECT_LT(made, kDocuments);
    std::printf("%d styles made, %d left out\n", made, kDocuments - made);
}

TEST_F(MarkupStress, DamagedFontDocumentsFailWithAReason)
{
    Random random(0x5EED0003);
    int failed = 0;
    for (int i = 0; i < kDocuments; ++i) {
        std::wstring error;
        std::string document = damage(kFontSeeds[0], random);
        if (!loadStyles({{L"font.xml", document}}, &error)) {
            ++failed;
            ASSERT_FALSE(error.empty()) << "document " << i;
        }
        // at most one font per element
        ASSERT_LE(styleRegistry()->fonts.size(), size_t(std::count(document.begin(), document.end(), '<')))
            << "document " << i;
    }
    EXPECT_GT(failed, kDocuments / 2);
    std::printf("%d font documents failed, %d loaded\n", failed, kDocuments - failed);
}
