// Package writer: LZMA-encodes entries with the SDK encoder and lays out the scrambled directory.
#include "PackageWriter.h"

#include <Blocks.h>
#include <CheckValues.h>
#include <LittleEndian.h>
#include <Package.h>

#include <cstdlib>
#include <utility>

extern "C" {
#include <LzmaEnc.h>
}

namespace {

void* lzmaAlloc(void*, size_t size) { return std::malloc(size); }
void lzmaFree(void*, void* address) { std::free(address); }
ISzAlloc lzmaAllocator = {lzmaAlloc, lzmaFree};

constexpr size_t kImageLimit = 0x7FFFFFFF;
// A solid package's index is a few hundred bytes per file of names, sizes and digests: packed as
// tightly as LZMA goes, whatever the files were packed with.
constexpr int kIndexLevel = 9;

size_t recordSize(const std::u16string& name)
{
    return 16 + (name.size() + 1) * 2;
}

} // namespace

bool PackageWriter::fits(const std::u16string& name, size_t size, std::string* error) const
{
    if ((name.size() + 1) * 2 > Package::kMaxNameField) {
        *error = "name longer than a package name field allows";
        return false;
    }
    if (name == checkvalues::kEntryName || name == blocks::kEntryName || name == blocks::kIndexName) {
        *error = "name is reserved for the package's own entries";
        return false;
    }
    // the whole image counts: data, every directory record, the closing zero and the trailer
    size_t record = 16 + (name.size() + 1) * 2;
    size_t fixed = directoryBytes_ + record + 8;
    if (size > 0xFFFFFFFFu || data_.size() + size + fixed > kImageLimit) {
        *error = "package would pass the 2 GiB limit";
        return false;
    }
    return true;
}

bool PackageWriter::add(const std::u16string& name, const uint8_t* data, size_t size, std::string* error)
{
    Packed entry;
    return fits(name, size, error) && pack(level_, std::vector<uint8_t>(data, data + size), &entry, error) &&
           append(name, std::move(entry), error);
}

bool PackageWriter::encode(int level, const uint8_t* data, size_t size, std::vector<uint8_t>* out, std::string* error)
{
    out->clear();
    if (level < 0 || size == 0 || size > kImageLimit)
        return true;
    CLzmaEncProps props;
    LzmaEncProps_Init(&props);
    props.level = level;
    props.numThreads = 1;
    // the level's own dictionary, but none larger than the data needs
    uint32_t levelDict = level <= 5 ? 1u << (level * 2 + 14) : level == 6 ? 1u << 25 : 1u << 26;
    props.dictSize = 1u << 12;
    while (props.dictSize < size && props.dictSize < levelDict)
        props.dictSize <<= 1;
    std::vector<uint8_t> packed(LZMA_PROPS_SIZE + size + size / 3 + 128);
    SizeT propsSize = LZMA_PROPS_SIZE;
    SizeT packedSize = packed.size() - LZMA_PROPS_SIZE;
    SRes result = LzmaEncode(packed.data() + LZMA_PROPS_SIZE, &packedSize, data, size, &props, packed.data(),
                             &propsSize, 0, nullptr, &lzmaAllocator, &lzmaAllocator);
    if (result == SZ_OK && propsSize == LZMA_PROPS_SIZE && LZMA_PROPS_SIZE + packedSize < size) {
        // smaller than the stored form, which fits
        packed.resize(LZMA_PROPS_SIZE + packedSize);
        packed.shrink_to_fit();
        *out = std::move(packed);
        return true;
    }
    if (result != SZ_OK && result != SZ_ERROR_OUTPUT_EOF) {
        *error = "LZMA encoder failed with code " + std::to_string(result);
        return false;
    }
    return true;
}

bool PackageWriter::pack(int level, std::vector<uint8_t> data, Packed* out, std::string* error)
{
    size_t size = data.size();
    // the digest of what the file is, taken here so that parallel packing hashes in parallel too
    if (!sha256::digest(data.data(), size, &out->digest)) {
        *error = "SHA-256 is not available";
        return false;
    }
    // An empty entry is always stored: an unpacked size of 0 is what marks stored data. One past
    // the format's limits is not worth packing: append refuses it.
    std::vector<uint8_t> packed;
    if (!encode(level, data.data(), size, &packed, error))
        return false;
    if (!packed.empty()) {
        out->bytes = std::move(packed);
        out->unpacked = uint32_t(size);
        return true;
    }
    out->bytes = std::move(data);
    out->unpacked = 0;
    return true;
}

bool PackageWriter::append(const std::u16string& name, Packed entry, std::string* error)
{
    if (!fits(name, entry.size(), error))
        return false;
    data_.insert(data_.end(), entry.bytes.begin(), entry.bytes.end());
    records_.push_back(Record{name, uint32_t(data_.size() - entry.bytes.size()), uint32_t(entry.bytes.size()),
                              entry.unpacked, entry.digest, false});
    directoryBytes_ += 16 + (name.size() + 1) * 2;
    return true;
}

// A block's checks: every name as add's, and the block, its members' records and the block map
// all below the 2 GiB limit.
bool PackageWriter::fitsUnit(const PackedUnit& unit, std::string* error) const
{
    uint64_t unpacked = 0;
    size_t records = 0;
    for (const PackedFile& file : unit.files) {
        if (!fits(file.name, 0, error))
            return false;
        if (file.unpacked == 0 || !file.bytes.empty()) {
            *error = "a block member must be packed in the block";
            return false;
        }
        unpacked += file.unpacked;
        records += 16 + (file.name.size() + 1) * 2;
    }
    size_t map = 8 + (blocks_.size() + 1) * (checkValues_ ? blocks::kDigestRecordSize : blocks::kRecordSize) + 32 +
                 16 + sizeof blocks::kEntryName;
    if (unit.files.size() < 2 || unpacked > 0xFFFFFFFFu || unit.block.size() < 5 ||
        data_.size() + unit.block.size() + directoryBytes_ + records + map + 8 > kImageLimit) {
        *error = unit.files.size() < 2 ? "a block holds at least two files" : "package would pass the 2 GiB limit";
        return false;
    }
    return true;
}

bool PackageWriter::append(PackedUnit unit, std::string* error)
{
    if (unit.block.empty()) {
        for (PackedFile& file : unit.files)
            if (!append(file.name, Packed{std::move(file.bytes), file.unpacked, file.digest}, error))
                return false;
        return true;
    }
    if (!fitsUnit(unit, error))
        return false;
    blocks::Block block;
    block.dataOffset = uint32_t(data_.size());
    block.storedSize = uint32_t(unit.block.size());
    block.firstRecord = uint32_t(records_.size());
    block.recordCount = uint32_t(unit.files.size());
    block.digest = unit.blockDigest;
    data_.insert(data_.end(), unit.block.begin(), unit.block.end());
    uint32_t place = 0;
    for (const PackedFile& file : unit.files) {
        // a member's data offset is its place inside the unpacked block; stored size 0 marks it
        records_.push_back(Record{file.name, place, 0, file.unpacked, file.digest, true});
        directoryBytes_ += 16 + (file.name.size() + 1) * 2;
        place += file.unpacked;
    }
    block.unpackedSize = place;
    blocks_.push_back(block);
    return true;
}

void PackageWriter::putRecord(std::vector<uint8_t>& image, const std::u16string& name, uint32_t offset,
                              uint32_t stored, uint32_t unpacked)
{
    // name field: the units and their terminator; whole words scrambled, an odd last unit plain
    std::vector<uint8_t> field;
    for (char16_t c : name) {
        field.push_back(uint8_t(c));
        field.push_back(uint8_t(c >> 8));
    }
    field.push_back(0);
    field.push_back(0);
    for (size_t w = 0; w + 4 <= field.size(); w += 4) {
        uint32_t v = uint32_t(field[w]) | uint32_t(field[w + 1]) << 8 | uint32_t(field[w + 2]) << 16 |
                     uint32_t(field[w + 3]) << 24;
        v ^= Package::kKey;
        field[w] = uint8_t(v);
        field[w + 1] = uint8_t(v >> 8);
        field[w + 2] = uint8_t(v >> 16);
        field[w + 3] = uint8_t(v >> 24);
    }
    le::putU32(image, uint32_t(16 + field.size()));
    le::putU32(image, offset);
    le::putU32(image, stored);
    le::putU32(image, unpacked);
    image.insert(image.end(), field.begin(), field.end());
}

std::vector<uint8_t> PackageWriter::finish()
{
    std::vector<uint8_t> directory;
    for (const Record& r : records_)
        putRecord(directory, r.name, r.offset, r.stored, r.unpacked);
    const bool solid = !blocks_.empty();
    const std::u16string checkName = checkvalues::kEntryName;

    // the block map: its data after the files', its record after theirs. A solid package's own
    // entries live in its index (Blocks.h), their offsets counting from its start: after the
    // directory, its closing zero. With check values it carries the blocks' digests, which stand
    // for their members' own
    std::vector<uint8_t> map;
    size_t ownBase = data_.size();
    if (solid) {
        if (!blocks::encode(blocks_, checkValues_, &map))
            return {};
        ownBase = directory.size() + recordSize(blocks::kEntryName) + (checkValues_ ? recordSize(checkName) : 0) + 4;
        putRecord(directory, blocks::kEntryName, uint32_t(ownBase), uint32_t(map.size()), 0);
    }

    // check values: the entry's data goes after every other entry's, its record last in the
    // directory, so the records before it (the bytes its directory digest covers) stay as they are
    std::vector<uint8_t> checks;
    if (checkValues_) {
        sha256::Digest directoryDigest;
        std::vector<checkvalues::Record> values;
        for (const Record& r : records_)
            if (!r.inBlock)
                values.push_back({r.name, r.unpacked ? r.unpacked : r.stored, r.digest});
        if (!sha256::digest(directory.data(), directory.size(), &directoryDigest) ||
            !checkvalues::encode(directoryDigest, values, solid, &checks) ||
            data_.size() + map.size() + checks.size() + directory.size() + recordSize(checkName) + 8 > kImageLimit)
            return {};
        putRecord(directory, checkName, uint32_t(ownBase + map.size()), uint32_t(checks.size()), 0);
    }

    if (solid) {
        // the index: the directory, its closing zero, the map and the check values, packed as one
        // entry, the image's directory its record alone
        std::vector<uint8_t> index = std::move(directory);
        le::putU32(index, 0);
        index.insert(index.end(), map.begin(), map.end());
        index.insert(index.end(), checks.begin(), checks.end());
        return aroundIndex(data_, index, kIndexLevel);
    }
    // without blocks: laid out as packages always were
    std::vector<uint8_t> image;
    image.reserve(data_.size() + checks.size() + directory.size() + 8);
    image.assign(data_.begin(), data_.end());
    image.insert(image.end(), checks.begin(), checks.end());
    uint32_t offset = uint32_t(image.size());
    image.insert(image.end(), directory.begin(), directory.end());
    le::putU32(image, 0);
    le::putU32(image, offset ^ Package::kKey);
    return image;
}

std::vector<uint8_t> PackageWriter::aroundIndex(const std::vector<uint8_t>& data, const std::vector<uint8_t>& index,
                                                int level)
{
    std::vector<uint8_t> packed;
    std::string ignored;
    if (index.size() > blocks::kMaxIndexBytes || !encode(level, index.data(), index.size(), &packed, &ignored))
        return {};
    uint32_t unpacked = packed.empty() ? 0 : uint32_t(index.size());
    const std::vector<uint8_t>& stored = packed.empty() ? index : packed;
    size_t directory = recordSize(blocks::kIndexName) + 8;
    if (data.size() + stored.size() + directory > kImageLimit)
        return {};
    std::vector<uint8_t> image;
    image.reserve(data.size() + stored.size() + directory);
    image.assign(data.begin(), data.end());
    image.insert(image.end(), stored.begin(), stored.end());
    uint32_t offset = uint32_t(image.size());
    putRecord(image, blocks::kIndexName, uint32_t(data.size()), uint32_t(stored.size()), unpacked);
    le::putU32(image, 0);
    le::putU32(image, offset ^ Package::kKey);
    return image;
}

bool safeRelativeParts(const std::u16string& name, std::vector<std::u16string>* parts)
{
    parts->clear();
    if (name.empty() || name[0] == u'/' || name[0] == u'\\')
        return false;
    std::u16string part;
    auto flush = [&]() {
        if (part == u"." || part == u"..")
            return false;
        if (!part.empty())
            parts->push_back(part);
        part.clear();
        return true;
    };
    for (char16_t c : name) {
        if (c == u':' || c == 0)
            return false;
        if (c == u'/' || c == u'\\') {
            if (!flush())
                return false;
        } else {
            part.push_back(c);
        }
    }
    return flush() && !parts->empty();
}
