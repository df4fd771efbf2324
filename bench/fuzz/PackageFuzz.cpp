// libFuzzer target: any byte string opened as a package, or as the check-value entry, the block map or the index of a real one, fails cleanly.
#include <Blocks.h>
#include <CheckValues.h>
#include <DecodeAhead.h>
#include <Package.h>
#include <PackUnits.h>
#include <PackageWriter.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// Decoding is real work per input; entries claiming more than this are skipped so that the
// fuzzer spends its time on the directory and stream parsing rather than on allocating.
constexpr uint32_t kLargestDecoded = 16u << 20;

void putU32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = uint8_t(v >> (8 * i));
}

// Makes the last 32 bytes the SHA-256 of those before them, as the package's own entries end.
void sealOwnDigest(std::vector<uint8_t>& bytes)
{
    sha256::Digest own;
    sha256::digest(bytes.data(), bytes.size() - 32, &own);
    std::memcpy(&bytes[bytes.size() - 32], own.data(), 32);
}

// A small package from the writer, taken apart around its check-value entry: the entries' data,
// the directory before the entry's record, and that record (the directory's last).
struct Parts {
    std::vector<uint8_t> data, directory, record;
    sha256::Digest directoryDigest{};
};

const Parts& parts()
{
    static const Parts made = [] {
        PackageWriter writer(1);
        std::string error;
        std::vector<uint8_t> text;
        for (int i = 0; i < 300; ++i)
            text.push_back(uint8_t("some text "[i % 10]));
        writer.add(u"a.txt", reinterpret_cast<const uint8_t*>("hello"), 5, &error);
        writer.add(u"dir/b.txt", text.data(), text.size(), &error);
        writer.add(u"empty", nullptr, 0, &error);
        std::vector<uint8_t> image = writer.finish();
        size_t end = image.size() - 8;
        size_t directory = (uint32_t(image[end + 4]) | uint32_t(image[end + 5]) << 8 | uint32_t(image[end + 6]) << 16 |
                            uint32_t(image[end + 7]) << 24) ^ Package::kKey;
        size_t record = end - (16 + sizeof checkvalues::kEntryName);
        Parts p;
        p.record.assign(image.begin() + record, image.begin() + end);
        size_t checks = p.record[4] | p.record[5] << 8 | p.record[6] << 16 | size_t(p.record[7]) << 24;
        p.data.assign(image.begin(), image.begin() + checks);
        p.directory.assign(image.begin() + directory, image.begin() + record);
        sha256::digest(p.directory.data(), p.directory.size(), &p.directoryDigest);
        return p;
    }();
    return made;
}

// The input as the check-value entry of the small package, with its directory digest and its own
// digest made right where it is long enough to hold them: raw mutations would almost never keep
// them right, and the parsing and matching behind them would go untried.
std::vector<uint8_t> withCheckEntry(const uint8_t* data, size_t size)
{
    const Parts& p = parts();
    std::vector<uint8_t> checks(data, data + size);
    if (checks.size() >= 72) {
        std::memcpy(&checks[8], p.directoryDigest.data(), 32);
        sealOwnDigest(checks);
    }
    std::vector<uint8_t> image = p.data;
    image.insert(image.end(), checks.begin(), checks.end());
    uint32_t directory = uint32_t(image.size());
    image.insert(image.end(), p.directory.begin(), p.directory.end());
    std::vector<uint8_t> record = p.record;
    putU32(&record[4], uint32_t(p.data.size()));
    putU32(&record[8], uint32_t(checks.size()));
    image.insert(image.end(), record.begin(), record.end());
    image.resize(image.size() + 8);
    putU32(&image[image.size() - 4], directory ^ Package::kKey);
    return image;
}

// A small solid package with check values, taken apart around its index: the files' data before
// it, and the unpacked index (its directory, the block map, the check values).
struct SolidParts {
    std::vector<uint8_t> data, index;
    size_t map = 0, mapSize = 0;   // where the block map lies in the index
};

const SolidParts& solidParts()
{
    static const SolidParts made = [] {
        PackSettings settings;
        settings.level = 1;
        settings.solidBytes = 4096;
        PackageWriter writer(settings.level);
        std::string error;
        for (int unit = 0; unit < 2; ++unit) {
            std::vector<std::u16string> names;
            std::vector<std::vector<uint8_t>> files;
            for (int i = 0; i < 3; ++i) {
                names.push_back(std::u16string(1, char16_t(u'a' + unit)) + char16_t(u'0' + i) + u".txt");
                std::vector<uint8_t> text;
                for (int k = 0; k < 200 + 50 * i; ++k)
                    text.push_back(uint8_t("block text "[(k + i) % 11]));
                files.push_back(text);
            }
            PackedUnit packed;
            packUnit(settings, names, files, &packed, &error);
            writer.append(std::move(packed), &error);
        }
        std::vector<uint8_t> image = writer.finish();
        SolidParts p;
        auto package = Package::open(image.data(), image.size());
        if (!package)
            return p;
        p.index = package->unpackedIndex();
        // the index entry's data follows every file's: the files end where the blocks do
        const Package::Block& last = package->blocks().back();
        p.data.assign(image.begin(), image.begin() + last.dataOffset + last.storedSize);
        for (const Package::Entry& entry : package->records())
            if (entry.name == blocks::kEntryName) {
                p.map = entry.dataOffset;
                p.mapSize = entry.storedSize;
            }
        return p;
    }();
    return made;
}

// The input as changes to the block map of the small solid package with check values (blocks'
// digests and all): XORed onto its bytes, any bytes past them appended; the map's own digest is
// then made right where it is long enough to hold one, so that mutations reach the block records
// behind it, its record's size and the check-value entry's place follow, and the check values'
// directory digest and own digest are made right over them. An empty input is the real map. The
// index is stored, so that what is tried is the index's parsing, not LZMA's.
std::vector<uint8_t> withBlockMap(const uint8_t* data, size_t size)
{
    const SolidParts& p = solidParts();
    std::vector<uint8_t> map(p.index.begin() + p.map, p.index.begin() + p.map + p.mapSize);
    for (size_t i = 0; i < size; ++i) {
        if (i < map.size())
            map[i] ^= data[i];
        else
            map.push_back(data[i]);
    }
    if (map.size() >= 40)
        sealOwnDigest(map);
    std::vector<uint8_t> checks(p.index.begin() + p.map + p.mapSize, p.index.end());
    std::vector<uint8_t> index(p.index.begin(), p.index.begin() + p.map);
    // the index's last records: the map's, then the check-value entry's; each stored size at 8
    // bytes into it, its data offset at 4
    size_t checkRecord = p.map - 4 - (16 + sizeof checkvalues::kEntryName);
    size_t mapRecord = checkRecord - (16 + sizeof blocks::kEntryName);
    putU32(&index[mapRecord + 8], uint32_t(map.size()));
    putU32(&index[checkRecord + 4], uint32_t(p.map + map.size()));
    sha256::Digest directory;
    sha256::digest(index.data(), checkRecord, &directory);
    std::memcpy(&checks[8], directory.data(), 32);
    sealOwnDigest(checks);
    index.insert(index.end(), map.begin(), map.end());
    index.insert(index.end(), checks.begin(), checks.end());
    return PackageWriter::aroundIndex(p.data, index, -1);
}

// The input XORed onto the unpacked index of the small solid package with check values, any
// bytes past it appended: the directory inside it, the map and the check values, their digests
// left as they come. Stored, like withBlockMap's.
std::vector<uint8_t> withIndex(const uint8_t* data, size_t size)
{
    const SolidParts& p = solidParts();
    std::vector<uint8_t> index = p.index;
    for (size_t i = 0; i < size; ++i) {
        if (i < index.size())
            index[i] ^= data[i];
        else
            index.push_back(data[i]);
    }
    return PackageWriter::aroundIndex(p.data, index, -1);
}

// Entries whose decoding would be large: a packed entry, or the block a member lies in.
bool tooLarge(const Package& package, const Package::Entry& entry)
{
    if (entry.block != Package::kNoBlock)
        return package.blocks()[entry.block].unpackedSize > kLargestDecoded;
    return entry.unpackedSize > kLargestDecoded;
}

void readEverything(const uint8_t* data, size_t size);

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // the first byte chooses: the input as a whole package, or as a real package's check-value
    // entry, block map or index
    if (size > 0 && data[0] == 'C') {
        std::vector<uint8_t> image = withCheckEntry(data + 1, size - 1);
        readEverything(image.data(), image.size());
    } else if (size > 0 && data[0] == 'B') {
        std::vector<uint8_t> image = withBlockMap(data + 1, size - 1);
        readEverything(image.data(), image.size());
    } else if (size > 0 && data[0] == 'I') {
        std::vector<uint8_t> image = withIndex(data + 1, size - 1);
        readEverything(image.data(), image.size());
    } else {
        readEverything(data, size);
    }
    return 0;
}

namespace {

void readEverything(const uint8_t* data, size_t size)
{
    auto package = Package::open(data, size);
    if (!package)
        return;
    for (const Package::Entry& entry : package->records()) {
        if (tooLarge(*package, entry))
            continue;
        uint64_t length = 0;
        uint8_t* buffer = package->readRecord(entry, &length);
        if (buffer) {
            // touch every byte so the sanitizers see reads of the whole result
            volatile uint8_t sum = 0;
            for (uint64_t i = 0; i < length; ++i)
                sum = uint8_t(sum + buffer[i]);
            Package::freeEntry(buffer);
        }
    }
    for (const auto& named : package->index()) {
        const Package::Entry* entry = package->find(named.first);
        if (!entry || tooLarge(*package, *entry))
            continue;
        uint64_t length = 0;
        Package::freeEntry(package->readEntry(named.first, &length));
    }
    // the same through decoders running ahead within a small budget, in reverse order and with
    // every name asked for twice
    DecodeAhead ahead(*package, 2, size_t(1) << 20);
    for (auto named = package->index().rbegin(); named != package->index().rend(); ++named) {
        const Package::Entry* entry = package->find(named->first);
        if (!entry || tooLarge(*package, *entry))
            continue;
        for (int twice = 0; twice < 2; ++twice) {
            uint64_t length = 0;
            Package::freeEntry(ahead.readEntry(named->first, &length));
        }
    }
}

} // namespace
