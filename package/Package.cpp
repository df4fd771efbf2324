// Package reader: builds the name index over a package image and decodes single entries.
#include "Package.h"

#include "Blocks.h"
#include "CheckValues.h"
#include "LittleEndian.h"
#include "LzmaStream.h"

#include <platform/Sync.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <map>
#include <mutex>
#include <new>

namespace {

void setError(std::string* error, std::string text)
{
    if (error)
        *error = std::move(text);
}

constexpr size_t kHeaderSize = 16;
constexpr size_t kPropsSize = lzmastream::kPropertiesSize;
constexpr uint8_t kIndexLzmaModel = (2 * 5 + 0) * 9 + 3;   // (pb * 5 + lp) * 9 + lc

// Unscrambles a name field: whole 32-bit words are XORed with the key, an odd last unit is plain.
std::u16string decodeName(const uint8_t* field, size_t fieldBytes)
{
    uint8_t work[Package::kMaxNameField];
    size_t units = fieldBytes / 2;
    std::memcpy(work, field, units * 2);
    for (size_t w = 0; w < units / 2; ++w) {
        uint32_t v = le::readU32(work + w * 4) ^ Package::kKey;
        work[w * 4] = uint8_t(v);
        work[w * 4 + 1] = uint8_t(v >> 8);
        work[w * 4 + 2] = uint8_t(v >> 16);
        work[w * 4 + 3] = uint8_t(v >> 24);
    }
    std::u16string name;
    for (size_t u = 0; u < units; ++u) {
        char16_t c = char16_t(work[u * 2] | work[u * 2 + 1] << 8);
        if (c == 0)
            break;
        name.push_back(c);
    }
    return name;
}

} // namespace

std::unique_ptr<Package> Package::open(const void* image, size_t size, std::string* error)
{
    if (!image) {
        setError(error, "no image");
        return nullptr;
    }
    if (size < 8) {
        setError(error, "image too short (" + std::to_string(size) + " bytes)");
        return nullptr;
    }
    if (size > 0x7FFFFFFFu) {
        setError(error, "image larger than 2 GiB");
        return nullptr;
    }
    auto bytes = static_cast<const uint8_t*>(image);
    int32_t signedOffset = int32_t(le::readU32(bytes + size - 4) ^ kKey);
    if (signedOffset < 0 || size_t(signedOffset) > size - 8) {
        setError(error, "directory offset " + std::to_string(signedOffset) + " outside the image");
        return nullptr;
    }

    std::unique_ptr<Package> package(new Package);
    package->image_ = bytes;
    package->size_ = size;

    // the trailer is never part of the directory
    Walk walk;
    const uint8_t* directory = bytes + signedOffset;
    if (!package->walkDirectory(bytes, size_t(signedOffset), size - 4, &walk, error))
        return nullptr;
    if (walk.indexRecords > 0) {
        // a solid package: its directory is the index's
        if (package->records_.size() != 1) {
            setError(error, "the index must be the directory's only record");
            return nullptr;
        }
        if (!package->readIndex(&walk, error))
            return nullptr;
        directory = package->unpackedIndex_.data();
    }
    if (walk.mapRecords > 0) {
        // the map's record follows every member's: last, or last but the check-value entry's
        size_t last = package->records_.size() - (walk.checkRecords > 0 ? 2 : 1);
        if (walk.mapRecords > 1 || walk.mapRecord != last) {
            setError(error, "the block map must follow every file's record, and come only once");
            return nullptr;
        }
        if (!package->readBlockMap(walk.mapRecord, error))
            return nullptr;
    }
    if (walk.checkRecords > 0) {
        if (walk.checkRecords > 1 || package->records_.back().name != checkvalues::kEntryName) {
            setError(error, "the check-value entry must be the directory's last and only once");
            return nullptr;
        }
        if (!package->readCheckValues(directory, walk.checkRecord, error))
            return nullptr;
    }
    if (package->blockDigests_ && !package->checkValues_) {
        // the blocks' digests stand for their members' check values, and come only with them
        setError(error, "a block map with digests needs the check-value entry");
        return nullptr;
    }
    return package;
}

// Walks directory records back to back from `start` up to a zero length, adding them to records_
// and the lookup index. Positions in `walk` count from `start`.
bool Package::walkDirectory(const uint8_t* bytes, size_t start, size_t end, Walk* walk, std::string* error)
{
    size_t pos = start;
    for (;;) {
        if (end - pos < 4) {
            setError(error, "directory at " + std::to_string(start) + " has no end marker");
            return false;
        }
        uint32_t length = le::readU32(bytes + pos);
        if (length == 0)
            break;
        if (length < kHeaderSize || length > end - pos) {
            setError(error, "directory record at " + std::to_string(pos) + " has bad length " + std::to_string(length));
            return false;
        }
        Entry entry;
        entry.dataOffset = le::readU32(bytes + pos + 4);
        entry.storedSize = le::readU32(bytes + pos + 8);
        entry.unpackedSize = le::readU32(bytes + pos + 12);
        size_t fieldBytes = length - kHeaderSize;
        bool nameFits = fieldBytes <= kMaxNameField;
        if (nameFits)
            entry.name = decodeName(bytes + pos + kHeaderSize, fieldBytes);
        uint64_t dataEnd = uint64_t(entry.dataOffset) + entry.storedSize;
        entry.usable = nameFits && dataEnd <= size_ && (entry.unpackedSize == 0 || entry.storedSize >= kPropsSize);
        bool isCheck = nameFits && entry.name == checkvalues::kEntryName;
        bool isMap = nameFits && entry.name == blocks::kEntryName;
        bool isIndex = nameFits && entry.name == blocks::kIndexName;
        records_.push_back(std::move(entry));
        // A name field past the format's limit has no defined name: the record is kept for
        // listing and verification but never takes part in lookups. Nor do the package's own
        // entries, the check values, the block map and the index, which no caller asks for.
        if (isCheck) {
            walk->checkRecord = pos - start;
            ++walk->checkRecords;
        } else if (isMap) {
            walk->mapRecord = records_.size() - 1;
            ++walk->mapRecords;
        } else if (isIndex) {
            ++walk->indexRecords;
        } else if (nameFits) {
            index_[records_.back().name] = records_.size() - 1;
        }
        pos += length;
    }
    walk->end = pos + 4 - start;
    return true;
}

// Decodes the index entry, the directory's only record, and walks the directory it holds in its
// place. The index must be whole: a stream that decodes to exactly its size and ends there, holding
// the block map and, if any, the check values, which tile the bytes after the closing zero exactly.
bool Package::readIndex(Walk* walk, std::string* error)
{
    const Entry index = records_.front();
    size_t length = index.size();
    if (!index.usable || length > blocks::kMaxIndexBytes || length < 4) {
        setError(error, "the index is not data inside the image of a size it can have");
        return false;
    }
    try {
        unpackedIndex_.resize(length);
    } catch (const std::bad_alloc&) {
        setError(error, "out of memory for an index of " + std::to_string(length) + " bytes");
        return false;
    }
    if (index.unpackedSize == 0) {
        std::memcpy(unpackedIndex_.data(), image_ + index.dataOffset, length);
    } else {
        // Decoded whole into its buffer, the stream does not read the dictionary size: the
        // properties must be the writer's own (lc 3, lp 0, pb 2, the smallest power of two of at
        // least 4 KiB that holds the index), so that no byte of the entry goes unchecked.
        uint32_t dictionary = 1u << 12;
        while (dictionary < length)
            dictionary <<= 1;
        const uint8_t* properties = image_ + index.dataOffset;
        if (properties[0] != kIndexLzmaModel || le::readU32(properties + 1) != dictionary) {
            setError(error, "the index's LZMA properties are not those it is written with");
            return false;
        }
        std::string why;
        if (!lzmastream::decodeExactly(image_ + index.dataOffset, index.storedSize - kPropsSize, unpackedIndex_.data(), length,
                        nullptr, &why, true)) {
            setError(error, "the index: " + why);
            return false;
        }
    }
    records_.clear();
    index_.clear();
    *walk = Walk{};
    if (!walkDirectory(unpackedIndex_.data(), 0, length, walk, error))
        return false;
    if (walk->indexRecords > 0 || walk->mapRecords != 1 || walk->checkRecords > 1) {
        setError(error, "the index must hold one block map, at most one check-value entry and no index");
        return false;
    }
    // the map's record and the check-value entry's come last, and their data tiles the rest of the
    // index in that order
    if (walk->mapRecord + 1 + walk->checkRecords != records_.size() ||
        (walk->checkRecords > 0 && records_.back().name != checkvalues::kEntryName)) {
        setError(error, "the index's own entries must follow every file's record");
        return false;
    }
    size_t place = walk->end;
    for (size_t r = walk->mapRecord; r < records_.size(); ++r) {
        Entry& own = records_[r];
        if (own.unpackedSize != 0 || own.dataOffset != place || own.storedSize > length - place) {
            setError(error, "the index's own entries do not tile it");
            return false;
        }
        own.inIndex = true;
        own.usable = true;
        place += own.storedSize;
    }
    if (place != length) {
        setError(error, "the index has " + std::to_string(length - place) + " bytes after its entries");
        return false;
    }
    return true;
}

// Ties every lookup entry to its record in the check-value entry: one record for each, none for
// any other name, sizes agreeing, and the directory before the entry's own record unchanged.
bool Package::readCheckValues(const uint8_t* directory, size_t checkRecordOffset, std::string* error)
{
    const Entry& check = records_.back();
    if (!check.usable || check.unpackedSize != 0) {
        setError(error, "the check-value entry is not stored data inside the image");
        return false;
    }
    sha256::Digest expected;
    std::vector<checkvalues::Record> checks;
    bool blocksApart = false;
    std::string why;
    if (!checkvalues::decode(dataOf(check), check.storedSize, index_.size(), &expected, &checks, &blocksApart, &why)) {
        setError(error, why);
        return false;
    }
    // Either the blocks' digests cover their members and the records every other file, or the
    // records cover every file: a member is never left to nothing, nor checked twice.
    if (blocksApart != blockDigests_) {
        setError(error, "the check values and the block map disagree on what covers a block's files");
        return false;
    }
    size_t covered = index_.size();
    if (blocksApart)
        for (const auto& named : index_)
            covered -= records_[named.second].block != kNoBlock;
    sha256::Digest actual;
    if (!sha256::digest(directory, checkRecordOffset, &actual)) {
        setError(error, "SHA-256 is not available");
        return false;
    }
    if (actual != expected) {
        setError(error, "the directory does not match its check value");
        return false;
    }
    if (checks.size() != covered) {
        setError(error, "check values cover " + std::to_string(checks.size()) + " of " + std::to_string(covered) +
                            " entries");
        return false;
    }
    for (const checkvalues::Record& record : checks) {
        auto it = index_.find(record.name);
        if (it == index_.end() || records_[it->second].checked) {
            setError(error, it == index_.end() ? "check value for an entry the package does not have"
                                               : "two check values for one entry");
            return false;
        }
        Entry& entry = records_[it->second];
        if (blocksApart && entry.block != kNoBlock) {
            setError(error, "check value for a file that its block's digest covers");
            return false;
        }
        if (entry.size() != record.size) {
            setError(error, "check value gives another size for an entry");
            return false;
        }
        entry.checked = true;
        entry.digest = record.digest;
    }
    checkValues_ = true;
    return true;
}

// Ties every block of the map to the image and to its members: the block's data inside the image,
// its members consecutive records after the previous block's, each of stored size 0 and a size of
// its own, tiling the unpacked block in order. Anything else refuses the package: the map decides
// where every member's bytes come from.
bool Package::readBlockMap(size_t mapRecord, std::string* error)
{
    const Entry& map = records_[mapRecord];
    if (!map.usable || map.unpackedSize != 0) {
        setError(error, "the block map is not stored data inside the image");
        return false;
    }
    std::vector<blocks::Block> list;
    std::string why;
    if (!blocks::decode(dataOf(map), map.storedSize, &list, &blockDigests_, &why)) {
        setError(error, why);
        return false;
    }
    size_t nextRecord = 0;
    for (size_t b = 0; b < list.size(); ++b) {
        const blocks::Block& block = list[b];
        std::string which = "block " + std::to_string(b) + " ";
        if (uint64_t(block.dataOffset) + block.storedSize > size_ || block.storedSize < kPropsSize) {
            setError(error, which + "lies outside the image");
            return false;
        }
        if (block.recordCount < 2 || block.firstRecord < nextRecord ||
            uint64_t(block.firstRecord) + block.recordCount > mapRecord) {
            setError(error, which + "names records it cannot have");
            return false;
        }
        uint64_t place = 0;
        for (size_t r = block.firstRecord; r < size_t(block.firstRecord) + block.recordCount; ++r) {
            const Entry& member = records_[r];
            if (member.storedSize != 0 || member.unpackedSize == 0 || member.dataOffset != place) {
                setError(error, which + "has a member that is not the next part of it");
                return false;
            }
            place += member.unpackedSize;
        }
        if (place != block.unpackedSize) {
            setError(error, which + "is not exactly its members");
            return false;
        }
        for (size_t r = block.firstRecord; r < size_t(block.firstRecord) + block.recordCount; ++r) {
            records_[r].block = uint32_t(b);
            records_[r].usable = true;
        }
        nextRecord = size_t(block.firstRecord) + block.recordCount;
        blocks_.push_back(Block{block.dataOffset, block.storedSize, block.unpackedSize, block.firstRecord,
                                block.recordCount, blockDigests_, block.digest});
    }
    return true;
}

const Package::Entry* Package::find(const std::u16string& name) const
{
    auto it = index_.find(name);
    return it == index_.end() ? nullptr : &records_[it->second];
}

std::vector<size_t> Package::lookupRecords() const
{
    std::vector<size_t> positions;
    for (size_t position = 0; position < records_.size(); ++position)
        if (find(records_[position].name) == &records_[position])
            positions.push_back(position);
    return positions;
}

uint8_t* Package::readEntry(const std::u16string& name, uint64_t* size) const
{
    const Entry* entry = find(name);
    return entry ? readRecord(*entry, size) : nullptr;
}

#ifdef _WIN32
uint8_t* Package::readEntry(const wchar_t* name, uint64_t* size) const
{
    static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wchar_t expected");
    if (!name)
        return nullptr;
    return readEntry(std::u16string(reinterpret_cast<const char16_t*>(name)), size);
}
#endif

// Checks what a read produced against the entry's check value; a mismatch frees the buffer.
uint8_t* Package::checked(const Entry& entry, uint8_t* buffer, uint64_t length, std::string* error)
{
    if (!entry.checked || !buffer)
        return buffer;
    sha256::Digest actual;
    if (!sha256::digest(buffer, size_t(length), &actual)) {
        std::free(buffer);
        setError(error, "SHA-256 is not available");
        return nullptr;
    }
    if (actual != entry.digest) {
        std::free(buffer);
        setError(error, "data does not match its check value");
        return nullptr;
    }
    return buffer;
}

uint8_t* Package::readRecord(const Entry& entry, uint64_t* size, std::string* error,
                             const std::atomic<bool>* stop) const
{
    uint64_t length = 0;
    uint8_t* buffer = readUnchecked(entry, &length, error, stop);
    // a member of a block was checked with its block, and is not hashed again
    if (entry.block == kNoBlock)
        buffer = checked(entry, buffer, length, error);
    if (buffer && size)
        *size = length;
    return buffer;
}

uint8_t* Package::readBlock(size_t block, std::string* error, const std::atomic<bool>* stop) const
{
    if (block >= blocks_.size()) {
        setError(error, "no such block");
        return nullptr;
    }
    const Block& b = blocks_[block];
    auto buffer = static_cast<uint8_t*>(std::malloc(b.unpackedSize));
    if (!buffer) {
        setError(error, "out of memory for a block of " + std::to_string(b.unpackedSize) + " bytes");
        return nullptr;
    }
    if (!lzmastream::decodeExactly(image_ + b.dataOffset, b.storedSize - kPropsSize, buffer, b.unpackedSize, stop, error, true)) {
        std::free(buffer);
        return nullptr;
    }
    // the block's digest, hashed once for all its members; in the earlier form each member's own
    bool matches = true;
    sha256::Digest actual;
    if (b.checked) {
        matches = sha256::digest(buffer, b.unpackedSize, &actual) && actual == b.digest;
    } else {
        for (size_t r = b.firstRecord; matches && r < size_t(b.firstRecord) + b.recordCount; ++r) {
            const Entry& member = records_[r];
            matches = !member.checked || (sha256::digest(buffer + member.dataOffset, member.unpackedSize, &actual) &&
                                          actual == member.digest);
        }
    }
    if (!matches) {
        std::free(buffer);
        setError(error, "block " + std::to_string(block + 1) + " does not match its check value");
        return nullptr;
    }
    return buffer;
}

uint8_t* Package::copyMember(const Entry& entry, const uint8_t* blockData, uint64_t* size, std::string* error) const
{
    if (entry.block == kNoBlock || !blockData) {
        setError(error, "not a member of a decoded block");
        return nullptr;
    }
    // open checked that the member lies inside its block
    auto buffer = static_cast<uint8_t*>(std::malloc(entry.unpackedSize));
    if (!buffer) {
        setError(error, "out of memory for " + std::to_string(entry.unpackedSize) + " bytes");
        return nullptr;
    }
    std::memcpy(buffer, blockData + entry.dataOffset, entry.unpackedSize);
    if (size)
        *size = entry.unpackedSize;
    return buffer;
}

uint8_t* Package::readUnchecked(const Entry& entry, uint64_t* size, std::string* error,
                                const std::atomic<bool>* stop) const
{
    if (!entry.usable) {
        setError(error, "entry data lies outside the image");
        return nullptr;
    }
    if (entry.block != kNoBlock) {
        // one file of a block: the whole block is decoded for it, and the rest let go
        uint8_t* block = readBlock(entry.block, error, stop);
        if (!block)
            return nullptr;
        uint8_t* buffer = copyMember(entry, block, nullptr, error);
        std::free(block);
        if (buffer && size)
            *size = entry.unpackedSize;
        return buffer;
    }
    const uint8_t* data = dataOf(entry);
    if (entry.unpackedSize == 0) {
        // malloc(0) may give null, which would read as a failure: an empty entry gets one byte
        auto buffer = static_cast<uint8_t*>(std::malloc(entry.storedSize ? entry.storedSize : 1));
        if (!buffer) {
            setError(error, "out of memory");
            return nullptr;
        }
        std::memcpy(buffer, data, entry.storedSize);
        if (size)
            *size = entry.storedSize;
        return buffer;
    }

    auto buffer = static_cast<uint8_t*>(std::malloc(entry.unpackedSize));
    if (!buffer) {
        setError(error, "out of memory for " + std::to_string(entry.unpackedSize) + " bytes");
        return nullptr;
    }
    if (!lzmastream::decodeExactly(data, entry.storedSize - kPropsSize, buffer, entry.unpackedSize, stop, error)) {
        std::free(buffer);
        return nullptr;
    }
    if (size)
        *size = entry.unpackedSize;
    return buffer;
}

namespace {

// Blocks whose members were handed out in place (shareBlock): where each starts, its size and how
// many of its members are still held.
struct SharedBlock {
    size_t size;
    uint32_t held;
};
platform::Mutex& sharedLock()
{
    static platform::Mutex lock;
    return lock;
}
std::map<uintptr_t, SharedBlock>& sharedBlocks()
{
    static std::map<uintptr_t, SharedBlock> blocks;
    return blocks;
}

} // namespace

void Package::shareBlock(uint8_t* block, size_t size, uint32_t members)
{
    std::lock_guard<platform::Mutex> lock(sharedLock());
    sharedBlocks()[uintptr_t(block)] = {size, members};
}

void Package::freeEntry(void* buffer)
{
    if (!buffer)
        return;
    void* whole = buffer;
    {
        std::lock_guard<platform::Mutex> lock(sharedLock());
        auto& blocks = sharedBlocks();
        auto found = blocks.upper_bound(uintptr_t(buffer));
        if (found != blocks.begin() && uintptr_t(buffer) < std::prev(found)->first + std::prev(found)->second.size) {
            --found;
            if (--found->second.held > 0)
                return;
            whole = reinterpret_cast<void*>(found->first);
            blocks.erase(found);
        }
    }
    std::free(whole);
}
