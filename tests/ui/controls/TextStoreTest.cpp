// The edit's text store without a window: blocks, wrapping, lookups, edits against a plain re-wrap.
#include <LinePool.h>
#include <TextStore.h>

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

// Widths of a made-up font: most characters 10 px, a few narrower or wider.
class FakeWidths : public CharWidths {
public:
    int32_t width(char32_t c) override
    {
        switch (c) {
        case U'i': return 4;
        case U'W': return 16;
        case U'\t': return 30;
        case U'\r': case U'\n': return 0;
        default: return c > 0xFFFF ? 20 : 10;
        }
    }
};

struct Line {
    int32_t start, end, breakKind;
    bool operator==(const Line& o) const { return start == o.start && end == o.end && breakKind == o.breakKind; }
};

std::ostream& operator<<(std::ostream& out, const Line& l)
{
    return out << "[" << l.start << ".." << l.end << " kind " << l.breakKind << "]";
}

bool high(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool low(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The wrapping rule written out plainly over one string: the oracle for the incremental layout.
std::vector<Line> referenceLines(const std::wstring& t, int32_t width)
{
    FakeWidths widths;
    auto units = [&](size_t i) { return high(t[i]) && i + 1 < t.size() && low(t[i + 1]) ? 2 : 1; };
    std::vector<Line> lines;
    int32_t n = static_cast<int32_t>(t.size());
    for (int32_t start = 0; start < n;) {
        Line line{start, n - 1, 0};
        int32_t sum = 0;
        for (int32_t i = start; i < n;) {
            if (t[i] == L'\n') { line = {start, i, 1}; break; }
            if (t[i] == L'\r') { line = {start, i + 1 < n ? i + units(i + 1) : i, 2}; break; }
            int32_t u = units(i);
            char32_t c = u == 2 ? 0x10000 + ((t[i] - 0xD800) << 10) + (t[i + 1] - 0xDC00) : t[i];
            if (width > 0) {
                if (i > start && sum + widths.width(c) > width) { line = {start, i - 1, 0}; break; }
                sum += widths.width(c);
            }
            i += u;
        }
        lines.push_back(line);
        start = line.end + 1;
    }
    if (lines.empty() || lines.back().breakKind != 0)
        lines.push_back({n, n - 1, 0});
    return lines;
}

std::vector<Line> linesOf(const TextStore& store)
{
    std::vector<Line> lines;
    for (const LineRecord* l = store.firstLine(); l; l = l->next)
        lines.push_back({l->start, l->end, l->breakKind});
    return lines;
}

std::vector<int32_t> blockLengths(const TextStore& store)
{
    std::vector<int32_t> lengths;
    for (size_t p = 0; p < store.blocks().count(); ++p)
        lengths.push_back(store.blocks().at(p)->length());
    return lengths;
}

// Every structural promise of the store, and its text and lines against the plain versions.
void expectConsistent(const TextStore& store, const std::wstring& text)
{
    const BlockTable& blocks = store.blocks();
    ASSERT_GE(blocks.count(), 1u);
    int32_t next = 0;
    for (size_t p = 0; p < blocks.count(); ++p) {
        const TextBlock* b = blocks.at(p);
        ASSERT_EQ(b->first, next) << "block " << p;
        ASSERT_LE(b->length(), kBlockCapacity) << "block " << p;
        ASSERT_TRUE(b->length() > 0 || blocks.count() == 1) << "empty block " << p;
        ASSERT_EQ(b->prev, p ? blocks.at(p - 1) : nullptr);
        ASSERT_EQ(b->next, p + 1 < blocks.count() ? blocks.at(p + 1) : nullptr);
        next = b->last + 1;
    }
    ASSERT_EQ(store.length(), static_cast<int32_t>(text.size()));
    ASSERT_EQ(store.getText(), text);

    ASSERT_EQ(linesOf(store), referenceLines(text, store.wrapWidth()));
    int32_t number = 0;
    const LineRecord* previous = nullptr;
    for (const LineRecord* l = store.firstLine(); l; previous = l, l = l->next) {
        ASSERT_EQ(l->number, number++);
        ASSERT_EQ(l->prev, previous);
    }
    ASSERT_EQ(store.lastLine(), previous);
    ASSERT_EQ(store.lineCount(), number);

    // each block names the first and last line starting in it (the final empty line: the last block)
    std::vector<const LineRecord*> first(blocks.count()), last(blocks.count());
    for (const LineRecord* l = store.firstLine(); l; l = l->next) {
        size_t p = blocks.positionOf(l->start);
        first[p] = first[p] ? first[p] : l;
        last[p] = l;
    }
    for (size_t p = 0; p < blocks.count(); ++p) {
        ASSERT_EQ(blocks.at(p)->firstLine, first[p]) << "block " << p;
        ASSERT_EQ(blocks.at(p)->lastLine, last[p]) << "block " << p;
    }
}

class TextStoreTest : public ::testing::Test {
protected:
    FakeWidths widths;
    TextStore store{widths};
};

} // namespace

TEST_F(TextStoreTest, SetTextCutsBlocksOfFifteenHundred)
{
    struct Case {
        size_t length;
        std::vector<int32_t> blocks;
    } cases[] = {{0, {0}}, {1, {1}}, {1500, {1500}}, {3001, {1500, 1500, 1}}};
    for (const Case& c : cases) {
        std::wstring text(c.length, L'a');
        ASSERT_TRUE(store.setText(text));
        EXPECT_EQ(blockLengths(store), c.blocks) << c.length;
        expectConsistent(store, text);
    }
}

TEST_F(TextStoreTest, InsertionFillsABlockToItsCapacityThenSplitsIt)
{
    std::wstring text(1500, L'a');
    store.setText(text);
    std::wstring seven(700, L'b');
    store.insertAt(10, seven.data(), 700);
    text.insert(10, seven);
    EXPECT_EQ(blockLengths(store), (std::vector<int32_t>{1100, 1100}));
    expectConsistent(store, text);

    text.assign(1500, L'c');
    store.setText(text);
    std::wstring more(499, L'd');
    store.insertAt(1500, more.data(), 499);
    text += more;
    EXPECT_EQ(blockLengths(store), (std::vector<int32_t>{1999}));
    store.insertAt(5, L"f", 1);
    text.insert(5, L"f");
    EXPECT_EQ(blockLengths(store), (std::vector<int32_t>{2000}));
    store.insertAt(2000, L"g", 1);
    text.insert(2000, L"g");
    EXPECT_EQ(blockLengths(store), (std::vector<int32_t>{1001, 1000}));
    expectConsistent(store, text);
}

TEST_F(TextStoreTest, ALargePasteSpreadsItsRestOverTheBlocksAndTheTableGrows)
{
    // one block taking 800,461 characters at once: 534 blocks of 1498 and 533 over, which go
    // out one character per block, never all onto the first
    std::wstring paste(800461, L'x');
    for (size_t i = 0; i < paste.size(); i += 97)
        paste[i] = L'\n';
    std::wstring text = L"head";
    store.setText(text);
    ASSERT_TRUE(store.insertAt(2, paste.data(), static_cast<int32_t>(paste.size())));
    text.insert(2, paste);
    for (int32_t length : blockLengths(store))
        ASSERT_LE(length, kBlockCapacity);
    expectConsistent(store, text);

    // more blocks than a fixed table of 2000 would hold
    std::wstring big(3500000, L'y');
    ASSERT_TRUE(store.setText(big));
    EXPECT_EQ(store.blocks().count(), 2334u);
    store.insertAt(3499999, L"\n", 1);
    EXPECT_EQ(store.lineCount(), 2);
    EXPECT_EQ(store.lastLine()->start, 3500000);
}

TEST_F(TextStoreTest, DeletionMergesNeighboursAndAnEmptyTextKeepsOneBlockAndOneLine)
{
    std::wstring text(4500, L'a');
    store.setText(text);   // 1500 1500 1500
    store.deleteRange(1000, 2400);
    text.erase(1000, 1400);
    EXPECT_EQ(blockLengths(store), (std::vector<int32_t>{1000, 600, 1500}));
    store.deleteRange(900, 1500);   // 900 and 100 left over fit together
    text.erase(900, 600);
    EXPECT_EQ(blockLengths(store), (std::vector<int32_t>{1000, 1500}));
    expectConsistent(store, text);

    EXPECT_TRUE(store.deleteRange(store.length(), 0));
    EXPECT_EQ(blockLengths(store), (std::vector<int32_t>{0}));
    EXPECT_EQ(store.lineCount(), 1);
    expectConsistent(store, L"");
}

TEST_F(TextStoreTest, AnEmptyDeletionChangesNothing)
{
    store.setText(L"ab");
    for (auto range : {std::pair<int, int>{0, 0}, {2, 2}, {5, 9}, {-3, 0}}) {
        EXPECT_FALSE(store.deleteRange(range.first, range.second));
        expectConsistent(store, L"ab");
    }
    store.setText(L"");
    EXPECT_FALSE(store.deleteRange(0, 0));
    expectConsistent(store, L"");
}

TEST_F(TextStoreTest, LineBreaks)
{
    struct Case {
        const wchar_t* text;
        std::vector<Line> lines;
    } cases[] = {
        {L"ab\r\n", {{0, 3, 2}, {4, 3, 0}}},
        {L"\rxy", {{0, 1, 2}, {2, 2, 0}}},            // a lone CR takes the x as its LF
        {L"ab\r", {{0, 2, 2}, {3, 2, 0}}},            // a CR at the end ends at its own index
        {L"a\nb", {{0, 1, 1}, {2, 2, 0}}},
        {L"\n\n", {{0, 0, 1}, {1, 1, 1}, {2, 1, 0}}},
        {L"\r\xD83D\xDE00z", {{0, 2, 2}, {3, 3, 0}}},   // ... a surrogate pair whole
    };
    for (const Case& c : cases) {
        store.setText(c.text);
        EXPECT_EQ(linesOf(store), c.lines) << testing::PrintToString(std::wstring(c.text));
    }
}

TEST_F(TextStoreTest, WrappingByCharacterAtTheWrapWidth)
{
    struct Case {
        int32_t width;
        const wchar_t* text;
        std::vector<Line> lines;
    } cases[] = {
        {30, L"abcdefg", {{0, 2, 0}, {3, 5, 0}, {6, 6, 0}}},
        {30, L"iiiiiiiW", {{0, 6, 0}, {7, 7, 0}}},                 // 7 x 4 = 28 fits, W does not
        {25, L"abc\nd", {{0, 1, 0}, {2, 3, 1}, {4, 4, 0}}},
        {5, L"abc", {{0, 0, 0}, {1, 1, 0}, {2, 2, 0}}},            // narrower than a character
        {0, L"abcdef\ngh", {{0, 6, 1}, {7, 8, 0}}},                // no width: breaks only
        {-40, L"abcdef", {{0, 5, 0}}},
        {35, L"a\xD83D\xDE00\xD83D\xDE00", {{0, 2, 0}, {3, 4, 0}}}, // a pair is never cut
        {15, L"\xD83D\xDE00\xD83D\xDE00", {{0, 1, 0}, {2, 3, 0}}},
    };
    for (const Case& c : cases) {
        store.setWrapWidth(c.width);
        store.setText(c.text);
        EXPECT_EQ(linesOf(store), c.lines) << c.width << " " << testing::PrintToString(std::wstring(c.text));
    }
}

TEST_F(TextStoreTest, LookupsBetweenIndicesLinesAndX)
{
    store.setWrapWidth(30);
    store.setText(L"abcdef\r\nxy\tz");   // lines: abc | def\r\n | xy | \t | z, then nothing after
    EXPECT_EQ(store.lineOfIndex(3)->number, 1);    // after a soft wrap: the next line's start
    EXPECT_EQ(store.lineOfIndex(7)->number, 1);
    EXPECT_EQ(store.lineOfIndex(8)->number, 2);
    EXPECT_EQ(store.lineOfIndex(99)->number, store.lineCount() - 1);
    EXPECT_EQ(store.lineOfNumber(3)->start, 10);
    EXPECT_EQ(store.lineOfNumber(-1)->number, 0);
    EXPECT_EQ(store.lineOfNumber(99), store.lastLine());

    const LineRecord* first = store.lineOfNumber(0);
    struct Hit {
        int32_t x, index;
    } hits[] = {{-5, 0}, {4, 0}, {6, 1}, {15, 1}, {16, 2}, {29, 3}, {300, 3}};
    for (const Hit& h : hits)
        EXPECT_EQ(store.indexAtX(first, h.x), h.index) << h.x;
    EXPECT_EQ(store.indexAtX(store.lineOfNumber(1), 300), 6);   // stops at its CR
    EXPECT_EQ(store.indexAtX(store.lineOfNumber(3), 16), 11);    // a tab is as wide as reported
    EXPECT_EQ(store.xOfIndex(5), 20);
    EXPECT_EQ(store.xOfIndex(3), 0);
    EXPECT_EQ(store.xOfIndex(12), 10);
}

TEST_F(TextStoreTest, CaretStepsOverLineBreakPairsAndSurrogatePairs)
{
    std::wstring text = L"a\r\nb\xD83D\xDE00" L"c\r\xD83D\xDE00";
    store.setText(text);
    std::vector<int32_t> forward{0};
    for (int32_t i = 0; i < store.length();)
        forward.push_back(i = store.nextIndex(i));
    EXPECT_EQ(forward, (std::vector<int32_t>{0, 1, 3, 4, 6, 7, 10}));
    std::vector<int32_t> backward{store.length()};
    for (int32_t i = store.length(); i > 0;)
        backward.push_back(i = store.previousIndex(i));
    EXPECT_EQ(backward, (std::vector<int32_t>{10, 7, 6, 4, 3, 1, 0}));
}

TEST(TextStoreEdits, RandomEditsKeepTheLayoutOfAFullWrap)
{
    const wchar_t alphabet[] = L"abcdefghiW \t\r\n\r\n\xD83D\xDE00";
    for (uint32_t seed : {20240607u, 7u, 99u}) {
        FakeWidths widths;
        TextStore store(widths);
        std::mt19937 random(seed);
        auto pick = [&](int n) { return static_cast<int32_t>(random() % n); };
        std::wstring text;
        for (int round = 0; round < 3000; ++round) {
            if (round % 500 == 0)
                store.setWrapWidth(std::vector<int32_t>{0, 7, 45, 120, 400, 2000}[pick(6)]);
            int32_t length = static_cast<int32_t>(text.size());
            if (pick(3) != 0 || length == 0) {
                // insert a run, now and then a long one that splits blocks
                std::wstring run;
                int32_t n = pick(50) == 0 ? 1 + pick(3000) : 1 + pick(8);
                for (int32_t i = 0; i < n; ++i)
                    run += alphabet[pick(sizeof(alphabet) / sizeof(wchar_t) - 1)];
                int32_t at = pick(length + 1);
                ASSERT_TRUE(store.insertAt(at, run.data(), n));
                text.insert(at, run);
            } else {
                int32_t a = pick(length + 1);
                int32_t b = pick(10) == 0 ? pick(length + 1) : std::min(length, a + pick(5));
                EXPECT_EQ(store.deleteRange(a, b), a != b);
                text.erase(std::min(a, b), std::abs(a - b));
            }
            expectConsistent(store, text);
            if (HasFatalFailure())
                FAIL() << "seed " << seed << ", after round " << round;
        }
    }
}

TEST(LinePool, EveryRecordGoesBackWhenStoresAreDestroyed)
{
    size_t before = linePool::recordCount() - linePool::freeCount();
    {
        FakeWidths widths;
        TextStore a(widths);
        TextStore b(widths);
        std::wstring text(30000, L'w');
        a.setWrapWidth(50);
        a.setText(text);
        b.setText(L"one\ntwo");
        a.deleteRange(100, 20000);
        EXPECT_GT(linePool::recordCount() - linePool::freeCount(), before + 2000);
    }
    EXPECT_EQ(linePool::recordCount() - linePool::freeCount(), before);
}
