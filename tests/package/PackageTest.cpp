// Package reader: directory decoding, lookups, stored and LZMA entries, damaged images.
#include <Package.h>
#include <PackageWriter.h>
#include <platform/Utf.h>

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace {

constexpr uint64_t kUntouched = 0xDEADBEEF;

void putU32(std::vector<uint8_t>& out, size_t at, uint32_t v)
{
    if (out.size() < at + 4)
        out.resize(at + 4);
    for (int i = 0; i < 4; ++i)
        out[at + i] = uint8_t(v >> (8 * i));
}

void appendU32(std::vector<uint8_t>& out, uint32_t v)
{
    putU32(out, out.size(), v);
}

// A hand-made directory record, written exactly as the format describes it, independent of the
// writer that lzpack uses.
struct RawRecord {
    std::u16string name;
    uint32_t offset = 0, stored = 0, unpacked = 0;
    int extraUnits = 0;          // zero units after the terminator, to get odd or even field lengths
    int32_t lengthOverride = -1; // a bad length to write instead of the real one
};

std::vector<uint8_t> nameField(const RawRecord& r)
{
    std::vector<uint8_t> field;
    std::u16string units = r.name;
    units.push_back(0);
    units.append(size_t(r.extraUnits), u'\0');
    for (char16_t c : units) {
        field.push_back(uint8_t(c));
        field.push_back(uint8_t(c >> 8));
    }
    for (size_t w = 0; w + 4 <= field.size(); w += 4) {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v |= uint32_t(field[w + i]) << (8 * i);
        v ^= Package::kKey;
        for (int i = 0; i < 4; ++i)
            field[w + i] = uint8_t(v >> (8 * i));
    }
    return field;
}

std::vector<uint8_t> buildImage(const std::vector<uint8_t>& data, const std::vector<RawRecord>& records)
{
    std::vector<uint8_t> image = data;
    uint32_t directory = uint32_t(image.size());
    for (const RawRecord& r : records) {
        std::vector<uint8_t> field = nameField(r);
        appendU32(image, r.lengthOverride >= 0 ? uint32_t(r.lengthOverride) : uint32_t(16 + field.size()));
        appendU32(image, r.offset);
        appendU32(image, r.stored);
        appendU32(image, r.unpacked);
        image.insert(image.end(), field.begin(), field.end());
    }
    appendU32(image, 0);
    appendU32(image, directory ^ Package::kKey);
    return image;
}

std::vector<uint8_t> bytes(const std::string& text)
{
    return std::vector<uint8_t>(text.begin(), text.end());
}

// Reads an entry into a vector; false when the reader refused it.
bool read(const Package& package, const std::u16string& name, std::vector<uint8_t>* out)
{
    uint64_t size = kUntouched;
    uint8_t* data = package.readEntry(name, &size);
    if (!data) {
        EXPECT_EQ(size, kUntouched) << "size must stay untouched on failure";
        return false;
    }
    out->assign(data, data + size);
    Package::freeEntry(data);
    return true;
}

std::vector<uint8_t> mixedContent(size_t size, unsigned seed)
{
    std::mt19937 random(seed);
    std::vector<uint8_t> out(size);
    for (size_t i = 0; i < size; ++i)
        out[i] = (i / 512) % 2 ? uint8_t(random()) : uint8_t("compressible text "[i % 18]);
    return out;
}

std::vector<uint8_t> packWithWriter(int level, const std::vector<std::pair<std::u16string, std::vector<uint8_t>>>& files)
{
    PackageWriter writer(level);
    std::string error;
    for (const auto& [name, data] : files)
        EXPECT_TRUE(writer.add(name, data.data(), data.size(), &error)) << error;
    return writer.finish();
}

} // namespace

TEST(PackageOpen, TrailerPointingAtZeroIsAnEmptyPackage)
{
    std::vector<uint8_t> image = buildImage({}, {});
    auto package = Package::open(image.data(), image.size());
    ASSERT_TRUE(package);
    EXPECT_TRUE(package->records().empty());
    std::vector<uint8_t> out;
    EXPECT_FALSE(read(*package, u"UI.lua", &out));
    EXPECT_FALSE(read(*package, u"", &out));
}

TEST(PackageOpen, ImagesTooShortOrMissingFailWithAReason)
{
    std::string error;
    EXPECT_FALSE(Package::open(nullptr, 100, &error));
    EXPECT_FALSE(error.empty());
    uint8_t tiny[7] = {};
    for (size_t n = 0; n <= sizeof tiny; ++n)
        EXPECT_FALSE(Package::open(tiny, n, &error)) << n;
}

TEST(PackageOpen, DirectoryOffsetOutsideTheImageFails)
{
    std::vector<uint8_t> image = buildImage(bytes("data"), {{u"a", 0, 4, 0}});
    std::vector<uint8_t> bad = image;
    putU32(bad, bad.size() - 4, uint32_t(bad.size()) ^ Package::kKey);   // past the end
    EXPECT_FALSE(Package::open(bad.data(), bad.size()));
    putU32(bad, bad.size() - 4, 0xFFFFFFF0u ^ Package::kKey);             // negative
    EXPECT_FALSE(Package::open(bad.data(), bad.size()));
    putU32(bad, bad.size() - 4, uint32_t(bad.size() - 4) ^ Package::kKey); // the trailer itself
    EXPECT_FALSE(Package::open(bad.data(), bad.size()));
}

TEST(PackageOpen, BadRecordLengthsFail)
{
    for (int32_t length : {1, 15, 0x7FFFFFFF, 1000}) {
        RawRecord record{u"name", 0, 4, 0};
        record.lengthOverride = length;
        std::vector<uint8_t> image = buildImage(bytes("data"), {record});
        std::string error;
        EXPECT_FALSE(Package::open(image.data(), image.size(), &error)) << length;
        EXPECT_NE(error.find("length"), std::string::npos) << error;
    }
}

TEST(PackageOpen, DirectoryWithoutEndMarkerFails)
{
    std::vector<uint8_t> image = buildImage(bytes("data"), {{u"a", 0, 4, 0}});
    // Cut the closing zero away and move the trailer to the new end.
    std::vector<uint8_t> cut(image.begin(), image.end() - 8);
    appendU32(cut, 4 ^ Package::kKey);
    EXPECT_FALSE(Package::open(cut.data(), cut.size()));
}

TEST(PackageOpen, EveryTruncationOrByteFlipFailsCleanly)
{
    std::vector<uint8_t> image = packWithWriter(5, {{u"dir/one.txt", bytes("first file")},
                                                    {u"two.bin", mixedContent(3000, 1)},
                                                    {u"empty", {}}});
    for (size_t n = 0; n < image.size(); ++n) {
        auto package = Package::open(image.data(), n);
        if (!package)
            continue;
        for (const auto& record : package->records()) {
            uint64_t size = 0;
            Package::freeEntry(package->readRecord(record, &size));
        }
    }
    for (size_t at = 0; at < image.size(); ++at) {
        std::vector<uint8_t> flipped = image;
        flipped[at] ^= 0x5A;
        auto package = Package::open(flipped.data(), flipped.size());
        if (!package)
            continue;
        for (const auto& record : package->records()) {
            uint64_t size = 0;
            uint8_t* data = package->readRecord(record, &size);
            if (data && record.unpackedSize) {
                EXPECT_EQ(size, record.unpackedSize);
            }
            Package::freeEntry(data);
        }
    }
}

TEST(PackageRead, StoredEntryIsReturnedByteForByte)
{
    std::vector<uint8_t> data = bytes("xxHello, package!yy");
    std::vector<uint8_t> image = buildImage(data, {{u"hello.txt", 2, 15, 0}});
    auto package = Package::open(image.data(), image.size());
    ASSERT_TRUE(package);
    std::vector<uint8_t> out;
    ASSERT_TRUE(read(*package, u"hello.txt", &out));
    EXPECT_EQ(out, bytes("Hello, package!"));
}

TEST(PackageRead, EmptyEntryGivesAnAllocationOfSizeZero)
{
    std::vector<uint8_t> image = buildImage({}, {{u"empty", 0, 0, 0}});
    auto package = Package::open(image.data(), image.size());
    ASSERT_TRUE(package);
    uint64_t size = kUntouched;
    uint8_t* data = package->readEntry(u"empty", &size);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(size, 0u);
    Package::freeEntry(data);
}

TEST(PackageRead, LzmaEntriesDecodeToTheirUnpackedSize)
{
    std::vector<uint8_t> big = mixedContent(200000, 7);
    std::vector<uint8_t> image = packWithWriter(5, {{u"big.bin", big}, {u"small.txt", bytes("tiny")}});
    auto package = Package::open(image.data(), image.size());
    ASSERT_TRUE(package);
    const Package::Entry* entry = package->find(u"big.bin");
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->unpackedSize, big.size());
    EXPECT_LT(entry->storedSize, big.size());
    std::vector<uint8_t> out;
    ASSERT_TRUE(read(*package, u"big.bin", &out));
    EXPECT_EQ(out, big);
    // Data that would not shrink is stored, and still reads back.
    EXPECT_EQ(package->find(u"small.txt")->unpackedSize, 0u);
    ASSERT_TRUE(read(*package, u"small.txt", &out));
    EXPECT_EQ(out, bytes("tiny"));
}

TEST(PackageRead, DuplicateNamesServeTheLaterEntry)
{
    std::vector<uint8_t> image = buildImage(bytes("oldnew"), {{u"same", 0, 3, 0}, {u"same", 3, 3, 0}});
    auto package = Package::open(image.data(), image.size());
    ASSERT_TRUE(package);
    EXPECT_EQ(package->records().size(), 2u);
    std::vector<uint8_t> out;
    ASSERT_TRUE(read(*package, u"same", &out));
    EXPECT_EQ(out, bytes("new"));
}

TEST(PackageRead, NamesMatchExactly)
{
    std::vector<uint8_t> image = buildImage(bytes("abc"), {{u"skin/Button.png", 0, 3, 0}});
    auto package = Package::open(image.data(), image.size());
    ASSERT_TRUE(package);
    std::vector<uint8_t> out;
    EXPECT_TRUE(read(*package, u"skin/Button.png", &out));
    EXPECT_FALSE(read(*package, u"skin\\Button.png", &out));
    EXPECT_FALSE(read(*package, u"skin/button.png", &out));
    EXPECT_FALSE(read(*package, u"skin/Button.pn", &out));
    EXPECT_FALSE(read(*package, u"skin/Button.png ", &out));
}

TEST(PackageRead, OddAndEvenNameFieldsDecode)
{
    // "ab" + terminator is 3 units: the terminator is the plain odd unit. "abc" + terminator is 4.
    // A field with padding after the terminator and a non-ASCII name round out the shapes.
    RawRecord padded{u"pad", 2, 1, 0};
    padded.extraUnits = 3;
    std::vector<uint8_t> image = buildImage(bytes("1234"), {{u"ab", 0, 1, 0}, {u"abc", 1, 1, 0}, padded,
                                                            {u"安装/文件.txt", 3, 1, 0}});
    auto package = Package::open(image.data(), image.size());
    ASSERT_TRUE(package);
    std::vector<uint8_t> out;
    ASSERT_TRUE(read(*package, u"ab", &out));
    EXPECT_EQ(out, bytes("1"));
    ASSERT_TRUE(read(*package, u"abc", &out));
    EXPECT_EQ(out, bytes("2"));
    ASSERT_TRUE(read(*package, u"pad", &out));
    EXPECT_EQ(out, bytes("3"));
    ASSERT_TRUE(read(*package, u"安装/文件.txt", &out));
    EXPECT_EQ(out, bytes("4"));
}

TEST(PackageRead, OddLastByteOfANameFieldIsIgnored)
{
    // A field of 7 bytes: 3 whole units ("ab" and a terminator) and one stray byte.
    std::vector<uint8_t> image = bytes("Z");
    uint32_t directory = uint32_t(image.size());
    RawRecord r{u"ab", 0, 1, 0};
    std::vector<uint8_t> field = nameField(r);
    field.push_back(0x77);
    appendU32(image, uint32_t(16 + field.size()));
    appendU32(image, 0);
    appendU32(image, 1);
    appendU32(image, 0);
    image.insert(image.end(), field.begin(), field.end());
    appendU32(image, 0);
    appendU32(image, directory ^ Package::kKey);
    auto package = Package::open(image.data(), image.size());
    ASSERT_TRUE(package);
    std::vector<uint8_t> out;
    ASSERT_TRUE(read(*package, u"ab", &out));
    EXPECT_EQ(out, bytes("Z"));
}

TEST(PackageRead, NameFieldWithoutTerminatorEndsAtTheField)
{
    // Four units, all name, no zero unit inside the field.
    std::vector<uint8_t> image = bytes("Q");
    uint32_t directory = uint32_t(image.size());
    RawRecord r{u"abc", 0, 1, 0};
    std::vector<uint8_t> field = nameField(r);
    field[6] = uint8_t('d' ^ (Package::kKey >> 16));
    field[7] = uint8_t(Package::kKey >> 24);
    appendU32(image, uint32_t(16 + field.size()));
    appendU32(image, 0);
    appendU32(image, 1);
    appendU32(image, 0);
    image.insert(image.end(), field.begin(), field.end());
    appendU32(image, 0);
    appendU32(image, directory ^ Package::kKey);
    auto package = Package::open(image.data(), image.size());
    ASSERT_TRUE(package);
    std::vector<uint8_t> out;
    EXPECT_TRUE(read(*package, u"abcd", &out));
}

TEST(PackageRead, OverlongNameFieldIsLeftOutOfTheIndex)
{
    RawRecord longName{std::u16string(1100, u'x'), 0, 1, 0};
    std::vector<uint8_t> image = buildImage(bytes("ab"), {longName, {u"ok", 1, 1, 0}});
    auto package = Package::open(image.data(), image.size());
    ASSERT_TRUE(package);
    EXPECT_EQ(package->records().size(), 2u);
    EXPECT_FALSE(package->records()[0].usable);
    std::vector<uint8_t> out;
    EXPECT_FALSE(read(*package, std::u16string(1100, u'x'), &out));
    ASSERT_TRUE(read(*package, u"ok", &out));
    EXPECT_EQ(out, bytes("b"));
}

TEST(PackageRead, DataOutsideTheImageIsUnreadable)
{
    std::vector<uint8_t> image = buildImage(bytes("abcd"), {{u"past", 2, 0xFFFFFFF0u, 0},
                                                            {u"wrap", 0xFFFFFFFFu, 2, 0},
                                                            {u"short-lzma", 0, 3, 100},
                                                            {u"fine", 1, 2, 0}});
    auto package = Package::open(image.data(), image.size());
    ASSERT_TRUE(package);
    std::vector<uint8_t> out;
    EXPECT_FALSE(read(*package, u"past", &out));
    EXPECT_FALSE(read(*package, u"wrap", &out));
    EXPECT_FALSE(read(*package, u"short-lzma", &out));
    ASSERT_TRUE(read(*package, u"fine", &out));
    EXPECT_EQ(out, bytes("bc"));
}

TEST(PackageRead, DamagedLzmaDataIsNeverHandedOutAsGood)
{
    std::vector<uint8_t> content = mixedContent(50000, 3);
    std::vector<uint8_t> image = packWithWriter(5, {{u"f", content}});
    auto package = Package::open(image.data(), image.size());
    ASSERT_TRUE(package);
    Package::Entry entry = *package->find(u"f");
    ASSERT_GT(entry.unpackedSize, 0u);
    uint64_t size = 0;
    std::string error;

    Package::Entry truncated = entry;        // the stream ends early
    truncated.storedSize = entry.storedSize / 2;
    EXPECT_EQ(package->readRecord(truncated, &size, &error), nullptr);
    EXPECT_FALSE(error.empty());

    Package::Entry claimsMore = entry;       // the directory promises more than the stream holds
    claimsMore.unpackedSize = entry.unpackedSize + 1000;
    EXPECT_EQ(package->readRecord(claimsMore, &size), nullptr);

    std::vector<uint8_t> badProps = image;   // a properties byte no decoder accepts
    badProps[entry.dataOffset] = 0xFF;
    auto damaged = Package::open(badProps.data(), badProps.size());
    ASSERT_TRUE(damaged);
    std::vector<uint8_t> out;
    EXPECT_FALSE(read(*damaged, u"f", &out));

    std::vector<uint8_t> garbage = image;    // the stream replaced by noise
    std::mt19937 random(11);
    for (uint32_t i = entry.dataOffset + 5; i < entry.dataOffset + entry.storedSize; ++i)
        garbage[i] = uint8_t(random());
    damaged = Package::open(garbage.data(), garbage.size());
    ASSERT_TRUE(damaged);
    EXPECT_FALSE(read(*damaged, u"f", &out));
}

TEST(PackageRead, EntriesOfManyDecodingSlicesDecodeAndAStopEndsTheDecode)
{
    std::vector<uint8_t> content = mixedContent((5u << 20) / 2, 9);   // two and a half slices
    std::vector<uint8_t> image = packWithWriter(1, {{u"big", content}});
    auto package = Package::open(image.data(), image.size());
    ASSERT_TRUE(package);
    const Package::Entry& entry = *package->find(u"big");
    ASSERT_GT(entry.unpackedSize, 0u);

    std::atomic<bool> stop{true};
    uint64_t size = kUntouched;
    std::string error;
    EXPECT_EQ(package->readRecord(entry, &size, &error, &stop), nullptr);
    EXPECT_EQ(error, "stopped");
    EXPECT_EQ(size, kUntouched);

    stop = false;
    uint8_t* data = package->readRecord(entry, &size, &error, &stop);
    ASSERT_TRUE(data) << error;
    EXPECT_EQ(std::vector<uint8_t>(data, data + size), content);
    Package::freeEntry(data);
}

TEST(PackageWriterNames, NamesThatLeaveTheDestinationAreRefused)
{
    std::vector<std::u16string> parts;
    EXPECT_TRUE(safeRelativeParts(u"a/b\\c.txt", &parts));
    EXPECT_EQ(parts, (std::vector<std::u16string>{u"a", u"b", u"c.txt"}));
    for (const char16_t* bad : {u"", u"/etc/passwd", u"\\x", u"../x", u"a/../../x", u"a/..", u"C:x", u"c:\\x",
                                u"a/./b", u"file.txt:stream", u"//server/share"})
        EXPECT_FALSE(safeRelativeParts(bad, &parts)) << utf16ToUtf8(bad);
}
