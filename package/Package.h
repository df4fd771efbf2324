// Reader for the installer's package format: named entries, stored or LZMA-packed, behind a scrambled directory.
#pragma once

#include "Sha256.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

class Package {
public:
    static constexpr uint32_t kKey = 0x3D71A4C9;
    static constexpr size_t kMaxNameField = 2048;   // bytes, terminator included

    // One directory record as found in the image. `usable` is false when the record's data range
    // or name field does not fit the image or the format; such a record never yields data.
    struct Entry {
        std::u16string name;
        uint32_t dataOffset = 0;
        uint32_t storedSize = 0;
        uint32_t unpackedSize = 0;      // 0: stored as is
        bool usable = false;
        // From the package's check-value entry (CheckValues.h): every lookup entry of a package
        // that has one carries the SHA-256 of its unpacked data, and a read that does not match
        // fails; but for the members of a block whose map carries the blocks' digests, which their
        // Block's digest covers instead.
        bool checked = false;
        sha256::Digest digest{};
        // A member of a solid block (Blocks.h): the block's position in blocks(), with the file at
        // dataOffset inside the unpacked block; kNoBlock for an entry with data of its own.
        uint32_t block = kNoBlock;
        // One of the package's own entries (block map, check values) whose data lies in the
        // unpacked index of a solid package (Blocks.h), not in the image.
        bool inIndex = false;
        uint64_t size() const { return unpackedSize ? unpackedSize : storedSize; }   // the file's size
    };
    static constexpr uint32_t kNoBlock = UINT32_MAX;

    // A solid block as the block map gives it, checked against the image and its members' records.
    struct Block {
        uint32_t dataOffset = 0;
        uint32_t storedSize = 0;
        uint32_t unpackedSize = 0;
        uint32_t firstRecord = 0;   // its members: records() from here on
        uint32_t recordCount = 0;
        // The SHA-256 of the unpacked block, from the block map of a package with check values:
        // its members' check value.
        bool checked = false;
        sha256::Digest digest{};
    };

    // Opens a package over an image already in memory. The image is not copied and not owned:
    // it must outlive the Package. A directory that cannot be walked inside the image gives null,
    // with the reason in `error` when one is asked for; so does a check-value entry that is
    // damaged, malformed, not the directory's last record or not matching the directory, and a
    // package where a file is covered by no check value while others are. A package without
    // check values opens as before, its entries unchecked. The directory of a solid package lies in
    // its index entry (Blocks.h), which is decoded here, whole, into memory the Package owns.
    static std::unique_ptr<Package> open(const void* image, size_t size, std::string* error = nullptr);

    // A new malloc'ed buffer with the entry's contents, or null when the name is unknown, the entry
    // is unusable, its packed data does not decode to exactly its unpacked size or the result does
    // not match its check value. The check-value entry itself is no lookup entry. `size` is
    // written only when a buffer is returned. Release with freeEntry.
    uint8_t* readEntry(const std::u16string& name, uint64_t* size) const;
#ifdef _WIN32
    uint8_t* readEntry(const wchar_t* name, uint64_t* size) const;
#endif
    static void freeEntry(void* buffer);
    // Hands the `members` files of a block readBlock decoded out in place, as pointers into it,
    // instead of copying each: freeEntry of each releases it, and the block's memory goes with the
    // last. The block is then held once, not twice while it is split.
    static void shareBlock(uint8_t* block, size_t size, uint32_t members);

    // Decodes one directory record, whichever name it has (verification reads shadowed records too),
    // and checks the result against the record's check value (a block member's: its block's) when
    // it has one. Safe to call from several threads at once. When `stop` becomes true the decode
    // gives up within about a megabyte of output and returns null.
    uint8_t* readRecord(const Entry& entry, uint64_t* size, std::string* error = nullptr,
                        const std::atomic<bool>* stop = nullptr) const;

    // Decodes a whole block into a new malloc'ed buffer of its unpacked size (release with
    // freeEntry), or null when its stream is damaged, memory is short or `stop` becomes true. In a
    // package with check values the block is checked here, once, against its digest (or each
    // member against its own, in the earlier form): a mismatch fails the whole block, so that
    // damage fails every file of its block, not only those behind the damaged byte. Safe to call
    // from several threads at once.
    uint8_t* readBlock(size_t block, std::string* error = nullptr, const std::atomic<bool>* stop = nullptr) const;
    // A member's bytes copied out of the block readBlock gave for it (and checked), into a new
    // buffer; null only when memory is short.
    uint8_t* copyMember(const Entry& entry, const uint8_t* blockData, uint64_t* size, std::string* error = nullptr) const;

    // The solid blocks, in image order; empty for a package without any.
    const std::vector<Block>& blocks() const { return blocks_; }

    // Every directory record in image order, duplicates included, the package's own entries (the
    // block map, the check values) too; for a solid package the records of its index, not the
    // index entry's own.
    const std::vector<Entry>& records() const { return records_; }
    // The lookup index: one record per name, the later of duplicates winning.
    const std::map<std::u16string, size_t>& index() const { return index_; }
    const Entry* find(const std::u16string& name) const;
    // The lookup entries' positions in records(), in the package's order.
    std::vector<size_t> lookupRecords() const;
    // The unpacked index of a solid package (Blocks.h), which the package's own records' data
    // lies in; empty for a package without one.
    const std::vector<uint8_t>& unpackedIndex() const { return unpackedIndex_; }
    // Whether the package carries a check-value entry (which open has found whole and matching).
    bool hasCheckValues() const { return checkValues_; }

private:
    // Where the package's own records are, found while walking a directory.
    struct Walk {
        size_t checkRecord = 0;    // directory position of the check-value entry's record, if any
        size_t checkRecords = 0;
        size_t mapRecord = 0;      // records_ position of the block map's record, if any
        size_t mapRecords = 0;
        size_t indexRecords = 0;
        size_t end = 0;            // directory position just after the closing zero length
    };
    bool walkDirectory(const uint8_t* bytes, size_t start, size_t end, Walk* walk, std::string* error);
    bool readIndex(Walk* walk, std::string* error);
    bool readCheckValues(const uint8_t* directory, size_t checkRecordOffset, std::string* error);
    bool readBlockMap(size_t mapRecord, std::string* error);
    const uint8_t* dataOf(const Entry& entry) const { return (entry.inIndex ? unpackedIndex_.data() : image_) + entry.dataOffset; }
    uint8_t* readUnchecked(const Entry& entry, uint64_t* size, std::string* error,
                           const std::atomic<bool>* stop) const;
    static uint8_t* checked(const Entry& entry, uint8_t* buffer, uint64_t length, std::string* error);

    Package() = default;

    const uint8_t* image_ = nullptr;   // not owned
    size_t size_ = 0;
    std::vector<uint8_t> unpackedIndex_;   // a solid package's directory and own entries
    std::vector<Entry> records_;
    std::vector<Block> blocks_;
    std::map<std::u16string, size_t> index_;   // name -> position in records_
    bool checkValues_ = false;
    bool blockDigests_ = false;   // the block map carries every block's digest
};

// Owns a buffer from readEntry or readRecord.
struct EntryDeleter {
    void operator()(uint8_t* buffer) const { Package::freeEntry(buffer); }
};
using EntryBuffer = std::unique_ptr<uint8_t, EntryDeleter>;
