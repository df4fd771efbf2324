// Solid packages: every file back in any request order through every reader, damage confined to
// its block, hostile block maps refused, and packing that gives the same bytes however it is run.
#include <Blocks.h>
#include <CheckValues.h>
#include <DecodeAhead.h>
#include <Package.h>
#include <PackUnits.h>
#include <PackageWriter.h>
#include <ParallelPacker.h>
#include <platform/Utf.h>

#include "TestContent.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <thread>

namespace {

constexpr uint32_t kBlock = 64 << 10;

using testcontent::File;
using testcontent::content;

// Several blocks of text and of programs, a file larger than a block, a large picture and noise
// that stay stored, a small picture that joins a block, an empty file and files without extension.
std::vector<File> payload()
{
    struct Spec {
        const char16_t* name;
        size_t size;
        bool noise;
    };
    const Spec specs[] = {
        {u"a/readme.txt", 30000, false}, {u"b.txt", 25000, false},     {u"c/d.txt", 30000, false},
        {u"notes.TXT", 30000, false},    {u"lib1.dll", 20000, false},  {u"lib2.dll", 30000, false},
        {u"sub/lib3.DLL", 50000, false}, {u"big.dll", 150000, false},  {u"pic.png", 100000, true},
        {u"noise1.wav", 30000, true},    {u"noise2.wav", 30000, true}, {u"empty.dat", 0, false},
        {u"Makefile", 5000, false},      {u"LICENSE", 3000, false},    {u"x/文件.ini", 7000, false},
        {u"icon.png", 4000, false},
    };
    std::vector<File> files;
    unsigned seed = 1;
    for (const Spec& spec : specs)
        files.push_back({spec.name, content(spec.size, seed++, spec.noise)});
    return files;
}

std::vector<uint8_t> packSolid(const std::vector<File>& files, unsigned jobs, bool checkValues = true)
{
    PackSettings settings;
    settings.level = 1;
    settings.solidBytes = kBlock;
    settings.checkValues = checkValues;
    std::vector<PlanInput> inputs;
    for (const File& f : files)
        inputs.push_back({f.name, f.data.size()});
    PackageWriter writer(settings.level, settings.checkValues);
    size_t failed = 0;
    std::string error;
    auto read = [&files](size_t index, std::vector<uint8_t>* data, std::string*) {
        *data = files[index].data;
        return true;
    };
    EXPECT_TRUE(ParallelPacker::run(writer, settings, inputs, read, jobs, &failed, &error)) << error;
    return writer.finish();
}

// The package's files in its own order.
std::vector<std::u16string> packageOrder(const Package& package)
{
    std::vector<std::u16string> names;
    for (const Package::Entry& entry : package.records())
        if (package.find(entry.name) == &entry)
            names.push_back(entry.name);
    return names;
}

std::map<std::u16string, std::vector<uint8_t>> byName(const std::vector<File>& files)
{
    std::map<std::u16string, std::vector<uint8_t>> out;
    for (const File& f : files)
        out[f.name] = f.data;
    return out;
}

// Reads every name in `order` and checks it against `files`; names in `failing` must fail.
template <typename Read>
void expectFiles(Read read, const std::vector<std::u16string>& order, const std::vector<File>& files,
                 const std::set<std::u16string>& failing, const std::string& what)
{
    auto expected = byName(files);
    for (const std::u16string& name : order) {
        uint64_t size = 0xDEADBEEF;
        EntryBuffer got(read(name, &size));
        if (failing.count(name)) {
            EXPECT_FALSE(got) << what << ": " << utf16ToUtf8(name) << " should fail";
            EXPECT_EQ(size, 0xDEADBEEFu) << what;
            continue;
        }
        const std::vector<uint8_t>& want = expected.at(name);
        ASSERT_TRUE(got) << what << ": " << utf16ToUtf8(name);
        ASSERT_EQ(size, want.size()) << what << ": " << utf16ToUtf8(name);
        EXPECT_TRUE(std::equal(want.begin(), want.end(), got.get())) << what << ": " << utf16ToUtf8(name);
    }
}

struct Orders {
    std::vector<std::pair<std::string, std::vector<std::u16string>>> list;
    explicit Orders(const Package& package)
    {
        std::vector<std::u16string> inOrder = packageOrder(package);
        std::vector<std::u16string> shuffled = inOrder;
        std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(7));
        list = {{"package order", inOrder}, {"reversed", {inOrder.rbegin(), inOrder.rend()}}, {"random", shuffled}};
    }
};

} // namespace

TEST(SolidBlocks, PlanGroupsByExtensionAndKeepsLargeEmptyAndCompressedFilesApart)
{
    std::vector<File> files = payload();
    std::vector<uint8_t> image = packSolid(files, 1);
    auto package = Package::open(image.data(), image.size());
    ASSERT_TRUE(package);
    // by extension ("" dat dll ini png txt wav), then name; a block closes before it would pass
    // 64 KiB, and a file that is alone closes it too; the block of the two noise files would not
    // shrink, so they are stored apart
    std::vector<std::vector<std::u16string>> members;
    for (const Package::Block& block : package->blocks()) {
        members.emplace_back();
        for (uint32_t r = block.firstRecord; r < block.firstRecord + block.recordCount; ++r)
            members.back().push_back(package->records()[r].name);
    }
    std::vector<std::vector<std::u16string>> expected = {
        {u"LICENSE", u"Makefile"},
        {u"lib1.dll", u"lib2.dll"},
        {u"sub/lib3.DLL", u"x/文件.ini", u"icon.png"},
        {u"a/readme.txt", u"b.txt"},
        {u"c/d.txt", u"notes.TXT"},
    };
    EXPECT_EQ(members, expected);
    for (const char16_t* alone : {u"big.dll", u"pic.png", u"noise1.wav", u"noise2.wav", u"empty.dat"})
        EXPECT_EQ(package->find(alone)->block, Package::kNoBlock) << utf16ToUtf8(alone);
    EXPECT_EQ(package->find(u"pic.png")->unpackedSize, 0u) << "a large picture is stored";
    EXPECT_EQ(package->find(u"noise1.wav")->unpackedSize, 0u) << "a block of noise does not shrink: stored apart";
    EXPECT_NE(package->find(u"big.dll")->unpackedSize, 0u);
    EXPECT_TRUE(package->hasCheckValues());
}

// Units of many small files take turns with units of few large ones, so that an installer creates
// files while it decodes; the blocks stay as the extension order forms them.
TEST(SolidBlocks, PlanLetsUnitsOfManySmallFilesTakeTurnsWithLargeOnes)
{
    PackSettings settings;
    settings.level = 1;
    settings.solidBytes = 16u << 20;
    std::vector<PlanInput> inputs;
    // "a": two blocks of two 8 MiB files; "ico": 3,500 files of 8 KiB; "z": a file as large as a block
    for (int i = 0; i < 4; ++i)
        inputs.push_back({u"lib" + utf8ToUtf16(std::to_string(i)) + u".a", 8u << 20});
    for (int i = 0; i < 3500; ++i)
        inputs.push_back({u"icons/" + utf8ToUtf16(std::to_string(10000 + i)) + u".ico", 8u << 10});
    inputs.push_back({u"zz.z", 16u << 20});
    std::vector<std::string> kinds;
    for (const PackUnit& unit : planUnits(inputs, settings)) {
        std::u16string first = inputs[unit.members.front()].name;
        kinds.push_back(utf16ToUtf8(first.substr(first.rfind(u'.') + 1)) + std::to_string(unit.members.size()));
    }
    // blocks close at 1,024 files; the smallest block of icons comes first, and a large unit follows
    // once the icons before it (16 KiB a file) cover the decoding up to and including it
    EXPECT_EQ(kinds, (std::vector<std::string>{"ico428", "ico1024", "ico1024", "a2", "ico1024", "a2", "z1"}));
}

// A kind's last files join its block when they come to a quarter of a block or less; never another
// kind's, never past the cap of files.
TEST(SolidBlocks, AKindsShortTailJoinsItsBlock)
{
    struct Case {
        const char* what;
        std::vector<std::pair<const char*, int>> runs;   // extension, files of 4 MiB (".ico": 8 KiB)
        std::vector<int> units;                          // members of each unit, in plan order
    };
    const Case cases[] = {
        {"a quarter block left: joins", {{"dll", 5}}, {5}},
        {"more than a quarter left: a block of its own", {{"dll", 6}}, {4, 2}},
        {"the tail of another kind does not join", {{"dll", 4}, {"exe", 1}}, {4, 1}},
        {"a kind's tail after a full block of the other", {{"dll", 4}, {"exe", 5}}, {4, 5}},
        {"the cap of files holds", {{"ico", 1030}}, {6, 1024}},
    };
    PackSettings settings;
    settings.level = 1;
    settings.solidBytes = 16u << 20;
    for (const Case& c : cases) {
        std::vector<PlanInput> inputs;
        for (const auto& [extension, count] : c.runs)
            for (int i = 0; i < count; ++i)
                inputs.push_back({u"f" + utf8ToUtf16(std::to_string(1000 + i) + "." + extension),
                                  std::string(extension) == "ico" ? 8u << 10 : 4u << 20});
        std::vector<int> units;
        for (const PackUnit& unit : planUnits(inputs, settings))
            units.push_back(int(unit.members.size()));
        EXPECT_EQ(units, c.units) << c.what;
    }
}

TEST(SolidBlocks, EveryOrderThroughEveryReaderGivesTheFilesDecodingEachBlockOnce)
{
    std::vector<File> files = payload();
    std::vector<uint8_t> image = packSolid(files, 3);
    auto package = Package::open(image.data(), image.size());
    ASSERT_TRUE(package);
    ASSERT_GE(package->blocks().size(), 3u);
    uint64_t largest = 0;   // unit: a block, or a file of its own
    for (const Package::Entry& record : package->records())
        largest = std::max<uint64_t>({largest, record.unpackedSize, record.storedSize});
    for (const Package::Block& block : package->blocks())
        largest = std::max<uint64_t>(largest, block.unpackedSize);
    for (const auto& [what, order] : Orders(*package).list) {
        expectFiles([&](const std::u16string& n, uint64_t* s) { return package->readEntry(n, s); }, order, files, {},
                    what + ", Package::readEntry");
        // budgets: everything fits; room for one block; smaller than any block (each block still
        // decoded ahead, two at most held)
        for (size_t budget : {DecodeAhead::kDefaultBudget, size_t(kBlock + 1000), size_t(1000)}) {
            // no decoders: still a block decoded once for all its files, on the requests' thread
            for (unsigned decoders : {0u, 1u, 2u, 3u}) {
                std::string how = what + ", budget " + std::to_string(budget) + ", " + std::to_string(decoders) + " decoders";
                DecodeAhead ahead(*package, decoders, budget);
                expectFiles([&](const std::u16string& n, uint64_t* s) { return ahead.readEntry(n, s); }, order, files,
                            {}, how);
                if (budget == DecodeAhead::kDefaultBudget) {
                    EXPECT_EQ(ahead.stats().blockDecodes, package->blocks().size()) << how;
                    EXPECT_LE(ahead.stats().peakBytes, budget) << how;
                }
                if (what == "package order") {
                    EXPECT_EQ(ahead.stats().blockDecodes, package->blocks().size()) << how;
                }
                EXPECT_LE(ahead.stats().peakBytes, std::max<uint64_t>(budget, 2 * largest) + (decoders + 1) * largest)
                    << how;
                // asked for again, after their blocks were let go
                expectFiles([&](const std::u16string& n, uint64_t* s) { return ahead.readEntry(n, s); },
                            {order.front(), order.back()}, files, {}, how + ", again");
            }
        }
    }
}

// Requests for the files of one block at the same moment, none decoded ahead (no decoders): the
// first decodes it, the others wait for it, and it is decoded once.
TEST(SolidBlocks, ConcurrentRequestsForOneBlockDecodeItOnce)
{
    std::vector<File> files = payload();
    std::vector<uint8_t> image = packSolid(files, 2);
    auto package = Package::open(image.data(), image.size());
    ASSERT_TRUE(package);
    auto expected = byName(files);
    for (int round = 0; round < 20; ++round) {
        DecodeAhead ahead(*package, 0);
        std::vector<std::thread> threads;
        std::atomic<int> wrong{0};
        std::atomic<bool> go{false};
        for (const Package::Block& block : package->blocks()) {
            for (uint32_t r = block.firstRecord; r < block.firstRecord + block.recordCount; ++r) {
                std::u16string name = package->records()[r].name;
                threads.emplace_back([&, name] {
                    while (!go)
                        std::this_thread::yield();
                    uint64_t size = 0;
                    EntryBuffer got(ahead.readEntry(name, &size));
                    const std::vector<uint8_t>& want = expected.at(name);
                    if (!got || size != want.size() || !std::equal(want.begin(), want.end(), got.get()))
                        ++wrong;
                });
            }
        }
        go = true;
        for (std::thread& thread : threads)
            thread.join();
        EXPECT_EQ(wrong, 0) << "round " << round;
        EXPECT_EQ(ahead.stats().blockDecodes, package->blocks().size()) << "round " << round;
    }
}

TEST(SolidBlocks, OneChangedByteInABlockFailsExactlyTheFilesOfThatBlock)
{
    std::vector<File> files = payload();
    std::vector<uint8_t> image = packSolid(files, 2);
    auto intact = Package::open(image.data(), image.size());
    ASSERT_TRUE(intact);
    for (size_t b = 0; b < intact->blocks().size(); ++b) {
        const Package::Block& block = intact->blocks()[b];
        std::set<std::u16string> failing;
        for (uint32_t r = block.firstRecord; r < block.firstRecord + block.recordCount; ++r)
            failing.insert(intact->records()[r].name);
        // the first stream byte, one in the middle, the last
        for (size_t at : {size_t(5), size_t(block.storedSize / 2), size_t(block.storedSize - 1)}) {
            std::vector<uint8_t> damaged = image;
            damaged[block.dataOffset + at] ^= 0x55;
            auto package = Package::open(damaged.data(), damaged.size());
            ASSERT_TRUE(package) << "the directory and the map are untouched";
            std::string what = "block " + std::to_string(b) + " byte " + std::to_string(at);
            for (const auto& [order, names] : Orders(*package).list) {
                expectFiles([&](const std::u16string& n, uint64_t* s) { return package->readEntry(n, s); }, names,
                            files, failing, what + ", " + order + ", Package::readEntry");
                for (bool settled : {false, true}) {
                    DecodeAhead ahead(*package, 2);
                    if (settled)
                        ahead.settle();
                    expectFiles([&](const std::u16string& n, uint64_t* s) { return ahead.readEntry(n, s); }, names,
                                files, failing, what + ", " + order + ", decoded ahead");
                }
            }
        }
    }
}

uint32_t u32At(const std::vector<uint8_t>& bytes, size_t at)
{
    return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
           uint32_t(bytes[at + 3]) << 24;
}

void putU32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = uint8_t(v >> (8 * i));
}

// A solid image taken apart: the files' data before its index entry, the unpacked index, and the
// image's own directory (the index entry's record alone).
struct IndexParts {
    std::vector<uint8_t> data, index;
    size_t directory = 0;
};

IndexParts indexParts(const std::vector<uint8_t>& image, const Package& package)
{
    IndexParts parts;
    parts.directory = u32At(image, image.size() - 4) ^ Package::kKey;
    size_t indexData = u32At(image, parts.directory + 4);
    parts.data.assign(image.begin(), image.begin() + indexData);
    parts.index = package.unpackedIndex();
    return parts;
}

// Opens `bytes` and reads every entry it then has: whatever opens reads without crossing the image.
void readAll(const std::vector<uint8_t>& bytes)
{
    auto opened = Package::open(bytes.data(), bytes.size());
    if (!opened)
        return;
    for (const auto& [name, position] : opened->index()) {
        uint64_t size = 0;
        EntryBuffer plain(opened->readEntry(name, &size));
    }
}

// Every byte of the block map and of the members' records changed, and maps written with wrong
// fields (their own digest made right): refused at open or failing the files, never reading
// outside the image or handing out wrong bytes; with check values (the map carrying the blocks'
// digests) and without. The index is stored here, so that what decides is the map, not the
// index's LZMA stream.
TEST(SolidBlocks, HostileBlockMapsFailCleanly)
{
    std::vector<File> files = payload();
    for (bool checked : {false, true}) {
        std::vector<uint8_t> image = packSolid(files, 1, checked);
        auto package = Package::open(image.data(), image.size());
        ASSERT_TRUE(package);
        const Package::Entry* map = nullptr;
        for (const Package::Entry& entry : package->records())
            if (entry.name == blocks::kEntryName)
                map = &entry;
        ASSERT_TRUE(map);
        ASSERT_TRUE(map->inIndex);
        IndexParts parts = indexParts(image, *package);
        auto around = [&](const std::vector<uint8_t>& index) { return PackageWriter::aroundIndex(parts.data, index, -1); };
        ASSERT_TRUE(Package::open(around(parts.index).data(), around(parts.index).size())) << "the index stored";
        for (size_t i = map->dataOffset; i < size_t(map->dataOffset) + map->storedSize; ++i) {
            std::vector<uint8_t> index = parts.index;
            index[i] ^= 0x01;
            std::vector<uint8_t> damaged = around(index);
            EXPECT_FALSE(Package::open(damaged.data(), damaged.size())) << "map byte " << i << ": its own digest";
        }

        std::vector<blocks::Block> list;
        bool digests = false;
        std::string error;
        ASSERT_TRUE(blocks::decode(parts.index.data() + map->dataOffset, map->storedSize, &list, &digests, &error));
        EXPECT_EQ(digests, checked) << "the blocks' digests come with the check values";
        // the map rewritten (its digest right) with one field changed
        auto rewritten = [&](auto change) {
            std::vector<blocks::Block> changed = list;
            change(changed);
            std::vector<uint8_t> bytes;
            EXPECT_TRUE(blocks::encode(changed, digests, &bytes));
            std::vector<uint8_t> index = parts.index;
            if (bytes.size() != map->storedSize)
                return std::vector<uint8_t>();
            std::memcpy(index.data() + map->dataOffset, bytes.data(), bytes.size());
            return around(index);
        };
        using Change = std::function<void(std::vector<blocks::Block>&)>;
        const std::vector<std::pair<const char*, Change>> refused = {
            {"block outside the image", [](auto& l) { l[0].dataOffset = 0x7FFFFFF0; }},
            {"stored size past the image", [](auto& l) { l[0].storedSize = 0xFFFFFFF0; }},
            {"too short for properties", [](auto& l) { l[0].storedSize = 4; }},
            {"unpacked size not its members'", [](auto& l) { l[0].unpackedSize += 1; }},
            {"one member", [](auto& l) { l[0].recordCount = 1; }},
            {"members past the map", [](auto& l) { l.back().recordCount += 100; }},
            {"first record overflowing", [](auto& l) { l.back().firstRecord = 0xFFFFFFFF; }},
            {"overlapping blocks", [](auto& l) { l[1].firstRecord = l[0].firstRecord; }},
            {"a record that is no member", [](auto& l) { l[0].firstRecord += 1; }},
        };
        for (const auto& [what, change] : refused) {
            std::vector<uint8_t> bytes = rewritten(change);
            ASSERT_FALSE(bytes.empty()) << what;
            std::string why;
            EXPECT_FALSE(Package::open(bytes.data(), bytes.size(), &why)) << what;
            EXPECT_FALSE(why.empty()) << what;
        }
        // bytes all over the directory inside the index changed, and the image cut at every length
        // near its end
        for (size_t i = 0; i < map->dataOffset; i += 3) {
            std::vector<uint8_t> index = parts.index;
            index[i] ^= 0x80;
            readAll(around(index));
        }
        for (size_t cut = 1; cut < 64; ++cut)
            readAll(std::vector<uint8_t>(image.begin(), image.end() - cut));
    }
}

// What checks a solid package's files: each block's digest in the map its members, the check-value
// entry's records every other file; or, in the earlier form, a record for every file and no block
// digests. Indexes put together with every digest of their own made right: whatever leaves a file
// to nothing or checks it twice is refused, and a block whose digest does not match fails its
// files and no other, directly and through decoders ahead.
TEST(SolidBlocks, EachFileIsCoveredByItsBlocksDigestOrByItsOwnRecord)
{
    std::vector<File> files = payload();
    std::vector<uint8_t> image = packSolid(files, 1);
    auto package = Package::open(image.data(), image.size());
    ASSERT_TRUE(package);
    IndexParts parts = indexParts(image, *package);
    // the index as the writer lays it out: the files' records, the map's record, the check-value
    // entry's, the closing zero, the map, the check values
    const size_t ownRecord = 16 + sizeof blocks::kEntryName;
    const Package::Entry& mapEntry = package->records()[package->records().size() - 2];
    const size_t filesEnd = mapEntry.dataOffset - 4 - 2 * ownRecord;
    std::vector<blocks::Block> list;
    bool digests = false;
    std::string error;
    ASSERT_TRUE(blocks::decode(parts.index.data() + mapEntry.dataOffset, mapEntry.storedSize, &list, &digests, &error));
    ASSERT_TRUE(digests);

    // an index of these files' records, a map of `list` and, unless `records` is null, check values
    auto compose = [&](const std::vector<blocks::Block>& blocks, bool withDigests,
                       const std::vector<checkvalues::Record>* records, bool blocksApart) {
        std::vector<uint8_t> index(parts.index.begin(), parts.index.begin() + filesEnd + (records ? 2 : 1) * ownRecord);
        size_t base = index.size() + 4;
        std::vector<uint8_t> map, checks;
        EXPECT_TRUE(blocks::encode(blocks, withDigests, &map));
        putU32(&index[filesEnd + 4], uint32_t(base));
        putU32(&index[filesEnd + 8], uint32_t(map.size()));
        if (records) {
            sha256::Digest directory;
            EXPECT_TRUE(sha256::digest(index.data(), filesEnd + ownRecord, &directory));
            EXPECT_TRUE(checkvalues::encode(directory, *records, blocksApart, &checks));
            putU32(&index[filesEnd + ownRecord + 4], uint32_t(base + map.size()));
            putU32(&index[filesEnd + ownRecord + 8], uint32_t(checks.size()));
        }
        index.resize(index.size() + 4);
        index.insert(index.end(), map.begin(), map.end());
        index.insert(index.end(), checks.begin(), checks.end());
        return index;
    };
    std::vector<checkvalues::Record> own, all;   // the files outside blocks; every file
    checkvalues::Record member;                  // one of the first block's
    std::set<std::u16string> firstBlock, secondBlock;
    auto contents = byName(files);
    for (const std::u16string& name : packageOrder(*package)) {
        const std::vector<uint8_t>& data = contents.at(name);
        checkvalues::Record record{name, uint32_t(data.size()), {}};
        ASSERT_TRUE(sha256::digest(data.data(), data.size(), &record.digest));
        uint32_t block = package->find(name)->block;
        if (block == Package::kNoBlock)
            own.push_back(record);
        if (block == 0) {
            firstBlock.insert(name);
            member = record;
        }
        if (block == 1)
            secondBlock.insert(name);
        all.push_back(record);
    }
    ASSERT_EQ(compose(list, true, &own, true), parts.index) << "the writer's index, as laid out above";

    std::vector<blocks::Block> wrongDigest = list;
    wrongDigest[1].digest[7] ^= 0x01;
    std::vector<checkvalues::Record> memberToo = own, memberInstead = own, ownLeftOut = own, wrongMember = all;
    memberToo.push_back(member);
    memberInstead.back() = member;
    ownLeftOut.pop_back();
    for (checkvalues::Record& r : wrongMember)
        if (r.name == member.name)
            r.digest[0] ^= 0x01;
    struct Case {
        const char* what;
        std::vector<uint8_t> index;
        bool opens;
        std::set<std::u16string> failing;
    };
    const Case cases[] = {
        {"a block's digest wrong", compose(wrongDigest, true, &own, true), true, secondBlock},
        {"the earlier form", compose(list, false, &all, false), true, {}},
        {"the earlier form, a member's digest wrong", compose(list, false, &wrongMember, false), true, firstBlock},
        {"no check values at all", compose(list, false, nullptr, false), true, {}},
        {"a member's own record as well", compose(list, true, &memberToo, true), false, {}},
        {"a member's record in place of a file's", compose(list, true, &memberInstead, true), false, {}},
        {"a file outside blocks left out", compose(list, true, &ownLeftOut, true), false, {}},
        {"block digests and every file's record", compose(list, true, &all, false), false, {}},
        {"records for files outside blocks, no block digests", compose(list, false, &own, true), false, {}},
        {"block digests without check values", compose(list, true, nullptr, false), false, {}},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = PackageWriter::aroundIndex(parts.data, c.index, -1);
        std::string why;
        auto opened = Package::open(bytes.data(), bytes.size(), &why);
        ASSERT_EQ(bool(opened), c.opens) << c.what << ": " << why;
        if (!opened)
            continue;
        std::vector<std::u16string> order = packageOrder(*opened);
        expectFiles([&](const std::u16string& n, uint64_t* s) { return opened->readEntry(n, s); }, order, files,
                    c.failing, std::string(c.what) + ", Package::readEntry");
        DecodeAhead ahead(*opened, 2);
        expectFiles([&](const std::u16string& n, uint64_t* s) { return ahead.readEntry(n, s); }, order, files,
                    c.failing, std::string(c.what) + ", decoded ahead");
    }
}

// A solid package's directory lies in its index: every file reads back through it, and one
// changed byte anywhere in the index (packed or stored, with check values or without) refuses the
// package. A changed byte of the image's own directory refuses it too, or leaves a package that
// offers none of the files (a damaged reserved name reads as an entry of another name).
TEST(SolidBlocks, TheIndexHoldsTheDirectoryAndAnyChangeToItRefusesThePackage)
{
    std::vector<File> files = payload();
    struct Case {
        const char* what;
        bool checked;
        bool packedIndex;
    };
    const Case cases[] = {
        {"checked, packed index", true, true},
        {"checked, stored index", true, false},
        {"unchecked, packed index", false, true},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> written = packSolid(files, 2, c.checked);
        auto package = Package::open(written.data(), written.size());
        ASSERT_TRUE(package) << c.what;
        IndexParts parts = indexParts(written, *package);
        std::vector<uint8_t> image = c.packedIndex ? written : PackageWriter::aroundIndex(parts.data, parts.index, -1);
        package = Package::open(image.data(), image.size());
        ASSERT_TRUE(package) << c.what;
        EXPECT_EQ(package->hasCheckValues(), c.checked) << c.what;
        EXPECT_EQ(package->records().size(), files.size() + (c.checked ? 2 : 1)) << c.what;
        EXPECT_EQ(package->find(blocks::kIndexName), nullptr) << c.what;
        expectFiles([&](const std::u16string& n, uint64_t* s) { return package->readEntry(n, s); },
                    packageOrder(*package), files, {}, c.what);
        // packed, the index is smaller than its directory, map and check values (their digests do
        // not pack)
        size_t directory = u32At(image, image.size() - 4) ^ Package::kKey;
        size_t indexData = u32At(image, directory + 4);
        if (c.packedIndex)
            EXPECT_LT(directory - indexData, parts.index.size()) << c.what;
        else
            EXPECT_EQ(directory - indexData, parts.index.size()) << c.what;

        std::set<std::u16string> names;
        for (const File& f : files)
            names.insert(f.name);
        for (size_t i = indexData; i < image.size(); ++i) {
            std::vector<uint8_t> damaged = image;
            damaged[i] ^= 0x01;
            std::string why;
            auto opened = Package::open(damaged.data(), damaged.size(), &why);
            if (i < directory) {
                EXPECT_FALSE(opened) << c.what << ": index byte " << i - indexData;
            } else if (opened) {
                // the index record's name: one entry of another name, no file
                for (const auto& [name, position] : opened->index())
                    EXPECT_EQ(names.count(name), 0u) << c.what << ": directory byte " << i - directory;
            }
        }
    }
    // an index no larger than the format allows, and none holding another index
    IndexParts parts;
    {
        std::vector<uint8_t> written = packSolid(files, 1, true);
        auto package = Package::open(written.data(), written.size());
        ASSERT_TRUE(package);
        parts = indexParts(written, *package);
    }
    std::vector<uint8_t> huge = parts.index;
    huge.resize(blocks::kMaxIndexBytes + 1);
    EXPECT_TRUE(PackageWriter::aroundIndex(parts.data, huge, -1).empty()) << "the writer keeps the limit";
    std::vector<uint8_t> trailing = parts.index;
    trailing.push_back(0);
    std::vector<uint8_t> image = PackageWriter::aroundIndex(parts.data, trailing, -1);
    std::string why;
    EXPECT_FALSE(Package::open(image.data(), image.size(), &why)) << "a byte after the check values";
    EXPECT_FALSE(why.empty());
}

// Packing gives the same image for any number of jobs, through a unit's bytes and back, and with
// units appended one by one as a cache would hand them over.
TEST(SolidBlocks, PackingIsTheSameForAnyJobsAndThroughSerialisedUnits)
{
    std::vector<File> files = payload();
    std::vector<uint8_t> one = packSolid(files, 1);
    EXPECT_EQ(packSolid(files, 2), one);
    EXPECT_EQ(packSolid(files, 5), one);

    PackSettings settings;
    settings.level = 1;
    settings.solidBytes = kBlock;
    std::vector<PlanInput> inputs;
    for (const File& f : files)
        inputs.push_back({f.name, f.data.size()});
    PackageWriter writer(settings.level);
    for (const PackUnit& unit : planUnits(inputs, settings)) {
        std::vector<std::u16string> names;
        std::vector<std::vector<uint8_t>> data;
        for (size_t member : unit.members) {
            names.push_back(files[member].name);
            data.push_back(files[member].data);
        }
        PackedUnit packed, back;
        std::string error;
        ASSERT_TRUE(packUnit(settings, names, data, &packed, &error)) << error;
        std::vector<uint8_t> bytes;
        ASSERT_TRUE(serialise(packed, &bytes));
        // every shorter prefix and any byte more is refused
        for (size_t cut = 0; cut < bytes.size(); cut += 1 + cut / 8)
            EXPECT_FALSE(deserialise(bytes.data(), cut, &back)) << cut;
        std::vector<uint8_t> longer = bytes;
        longer.push_back(0);
        EXPECT_FALSE(deserialise(longer.data(), longer.size(), &back));
        if (!packed.block.empty()) {
            // a cached unit of the earlier form (no block digest) is refused, not misread
            std::vector<uint8_t> earlier = bytes;
            earlier[3] = '1';
            auto digest = earlier.begin() + 8 + packed.block.size();
            earlier.erase(digest, digest + 32);
            EXPECT_FALSE(deserialise(earlier.data(), earlier.size(), &back));
        }
        ASSERT_TRUE(deserialise(bytes.data(), bytes.size(), &back));
        ASSERT_TRUE(writer.append(std::move(back), &error)) << error;
    }
    EXPECT_EQ(writer.finish(), one);
}

// Without --solid the plan is today's: sorted by name, one file per unit, no block map, no index,
// and the package's bytes those it always had.
TEST(SolidBlocks, WithoutBlocksThePackageIsLaidOutAsBefore)
{
    std::vector<File> files = payload();
    PackSettings settings;
    settings.level = 1;
    std::vector<PlanInput> inputs;
    for (const File& f : files)
        inputs.push_back({f.name, f.data.size()});
    PackageWriter viaUnits(settings.level);
    size_t failed = 0;
    std::string error;
    auto read = [&files](size_t index, std::vector<uint8_t>* data, std::string*) {
        *data = files[index].data;
        return true;
    };
    ASSERT_TRUE(ParallelPacker::run(viaUnits, settings, inputs, read, 2, &failed, &error)) << error;
    std::vector<File> sorted = files;
    std::sort(sorted.begin(), sorted.end(), [](const File& a, const File& b) { return a.name < b.name; });
    PackageWriter oneByOne(settings.level);
    for (const File& f : sorted)
        ASSERT_TRUE(oneByOne.add(f.name, f.data.data(), f.data.size(), &error)) << error;
    std::vector<uint8_t> image = viaUnits.finish();
    EXPECT_EQ(image, oneByOne.finish());
    auto package = Package::open(image.data(), image.size());
    ASSERT_TRUE(package);
    EXPECT_TRUE(package->blocks().empty());
    EXPECT_TRUE(package->unpackedIndex().empty());

    // byte for byte what the writer made before solid packages had an index (lzpack create of the
    // same three files, SHA-256 of the package)
    struct Pinned {
        int level;
        bool checkValues;
        const char* sha256;
    };
    const Pinned pinned[] = {
        {1, true, "c0554964f598430b14deba95c3b3b2a6e6710cdb51c1219f9ba8deb9e97d2894"},
        {1, false, "50b717243fdae9ee066191c1b36d1a209c7681011afddf4e4fa567909c612f11"},
        {-1, true, "164c52635b2dfe3a6467c9c4d0aecfad22fe15c93decee0765ca826ef512bcff"},
    };
    std::vector<uint8_t> text;
    for (int i = 0; i < 300; ++i)
        text.push_back(uint8_t("some text "[i % 10]));
    for (const Pinned& p : pinned) {
        PackageWriter writer(p.level, p.checkValues);
        ASSERT_TRUE(writer.add(u"a.txt", reinterpret_cast<const uint8_t*>("hello"), 5, &error)) << error;
        ASSERT_TRUE(writer.add(u"dir/b.txt", text.data(), text.size(), &error)) << error;
        ASSERT_TRUE(writer.add(u"empty", nullptr, 0, &error)) << error;
        std::vector<uint8_t> bytes = writer.finish();
        sha256::Digest digest;
        ASSERT_TRUE(sha256::digest(bytes.data(), bytes.size(), &digest));
        std::string hex;
        for (uint8_t b : digest)
            hex += "0123456789abcdef"[b >> 4], hex += "0123456789abcdef"[b & 15];
        EXPECT_EQ(hex, p.sha256) << "level " << p.level << (p.checkValues ? ", check values" : "");
    }
}
