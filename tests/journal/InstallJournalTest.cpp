// The journal's text form: every kind survives a round trip, and any damage is refused.
#include <InstallJournal.h>

#include <gtest/gtest.h>

namespace {

using Kind = JournalRecord::Kind;

std::vector<JournalRecord> sampleRecords()
{
    std::vector<JournalRecord> records(8);
    records[0].kind = Kind::session;
    records[0].path = "8.0.0.5";
    records[1].kind = Kind::folder;
    records[1].path = "C:\\Program Files\\OrvoNubelo\\";
    records[2].kind = Kind::file;
    records[2].path = "C:\\Program Files\\OrvoNubelo\\t\tab\\new\nline\\back\\\\slash.dll";
    records[2].size = 123456789012LL;
    records[2].check = 0xDEADBEEF;
    records[2].kept = "C:\\Program Files\\OrvoNubelo\\x.dll.~orvo1";
    records[3].kind = Kind::file;
    records[3].path = "C:\\Program Files\\OrvoNubelo\\settings.ini";
    records[3].userData = true;
    records[4].kind = Kind::key;
    records[4].root = "HKCR";
    records[4].path = "orvolive\\shell";
    records[5].kind = Kind::value;
    records[5].root = "HKLM";
    records[5].path = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\OrvoNubelo";
    records[5].name = "URL:Orvo直播专用链";
    records[5].type = 1;
    records[5].data = std::string("a\0b\r\n\t\\", 7);
    records[5].hadPrevious = true;
    records[5].previousType = 4;
    records[5].previousData = std::string("\x01\x00\x00\x00", 4);
    records[6].kind = Kind::shortcut;
    records[6].path = "C:\\Users\\Public\\Desktop\\OrvoPelora.lnk";
    records[7].kind = Kind::server;
    records[7].path = "C:\\Program Files\\OrvoNubelo\\Nubelo.ax";
    return records;
}

TEST(InstallJournal, EveryKindAndAwkwardTextSurviveTheRoundTrip)
{
    std::vector<JournalRecord> records = sampleRecords();
    JournalParse parsed = parseJournal(formatJournal(records));
    ASSERT_TRUE(parsed.ok()) << parsed.error;
    EXPECT_EQ(parsed.records, records);

    JournalParse empty = parseJournal(formatJournal({}));
    ASSERT_TRUE(empty.ok()) << empty.error;
    EXPECT_TRUE(empty.records.empty());
}

TEST(InstallJournal, AnyChangedByteIsFound)
{
    const std::string text = formatJournal(sampleRecords());
    for (size_t at = 0; at < text.size(); ++at) {
        for (unsigned char flip : {0x01, 0x20, 0x80}) {
            std::string damaged = text;
            damaged[at] = char(damaged[at] ^ flip);
            JournalParse parsed = parseJournal(damaged);
            EXPECT_FALSE(parsed.ok()) << "byte " << at << " changed by " << int(flip) << " was not found";
            EXPECT_TRUE(parsed.records.empty());
        }
    }
}

TEST(InstallJournal, LostSwappedOrCutLinesAreFound)
{
    const std::string text = formatJournal(sampleRecords());
    std::vector<std::string> lines;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start) + 1;
        lines.push_back(text.substr(start, end - start));
        start = end;
    }
    auto join = [](const std::vector<std::string>& parts) {
        std::string out;
        for (const std::string& part : parts)
            out += part;
        return out;
    };
    for (size_t i = 0; i < lines.size(); ++i) {
        std::vector<std::string> without = lines;
        without.erase(without.begin() + i);
        EXPECT_FALSE(parseJournal(join(without)).ok()) << "line " << i << " removed";
    }
    std::vector<std::string> swapped = lines;
    std::swap(swapped[2], swapped[3]);
    EXPECT_FALSE(parseJournal(join(swapped)).ok());
    for (size_t cut : {size_t(0), size_t(5), text.size() / 2, text.size() - 1})
        EXPECT_FALSE(parseJournal(text.substr(0, cut)).ok()) << "cut at " << cut;
}

TEST(InstallJournal, CrcIsTheStandardOne)
{
    EXPECT_EQ(journalCrc32("123456789", 9), 0xCBF43926u);
    uint32_t pieces = journalCrc32("12345", 5);
    EXPECT_EQ(journalCrc32("6789", 4, pieces), 0xCBF43926u);
    // eight bytes at a time and the tail agree with the bit-by-bit definition at every length and
    // split, from any alignment
    std::string bytes;
    for (unsigned i = 0; i < 80; ++i)
        bytes += char(i * 151 + 7);
    for (size_t length = 0; length + 3 <= bytes.size(); ++length) {
        uint32_t bitwise = ~0u;
        for (size_t i = 3; i < 3 + length; ++i) {
            bitwise ^= uint8_t(bytes[i]);
            for (int k = 0; k < 8; ++k)
                bitwise = (bitwise & 1) ? 0xEDB88320u ^ (bitwise >> 1) : bitwise >> 1;
        }
        EXPECT_EQ(journalCrc32(bytes.data() + 3, length), ~bitwise) << length;
        size_t split = length / 3;
        EXPECT_EQ(journalCrc32(bytes.data() + 3 + split, length - split, journalCrc32(bytes.data() + 3, split)), ~bitwise)
            << length;
    }
}

} // namespace
