// Builds package images in the installer's package format (the reader lives in package/).
#pragma once

#include <Blocks.h>
#include <Sha256.h>

#include "PackUnits.h"

#include <cstdint>
#include <string>
#include <vector>

class PackageWriter {
public:
    // level < 0: entries are stored as is; 0..9: LZMA at that level, falling back to stored
    // for entries that would not shrink. With `checkValues` the image ends with the check-value
    // entry (package/CheckValues.h); without, it is laid out as packages were before it.
    explicit PackageWriter(int level, bool checkValues = true) : level_(level), checkValues_(checkValues) {}

    // Appends one entry. Returns false with a message when the image would pass the format's
    // 2 GiB limit, the name is too long for a name field or reserved, or the encoder fails.
    bool add(const std::u16string& name, const uint8_t* data, size_t size, std::string* error);

    // An entry's bytes as they go into the image: LZMA properties and stream, or the file as is.
    struct Packed {
        std::vector<uint8_t> bytes;
        uint32_t unpacked = 0;   // 0: stored
        sha256::Digest digest{};   // of the file's bytes
        size_t size() const { return unpacked ? unpacked : bytes.size(); }   // the file's size
    };
    // What add does to the bytes, on any thread: the same input always gives the same bytes, so
    // entries packed in parallel make the same image as entries packed one by one. False with a
    // message when the encoder fails.
    static bool pack(int level, std::vector<uint8_t> data, Packed* out, std::string* error);
    // The LZMA form of `size` bytes (properties, then the stream) in `out`, or `out` empty when it
    // would not be smaller than the bytes themselves, `level` is below 0 or `size` is 0. False with
    // a message when the encoder fails. Deterministic, like pack.
    static bool encode(int level, const uint8_t* data, size_t size, std::vector<uint8_t>* out, std::string* error);
    int level() const { return level_; }
    // Appends an entry made by pack, with add's checks.
    bool append(const std::u16string& name, Packed entry, std::string* error);
    // Appends a unit made by packUnit: its block and members, or its files one by one, with
    // add's checks. Units go in in plan order.
    bool append(PackedUnit unit, std::string* error);

    // The finished image: entry data, directory, closing zero, scrambled directory offset. Empty
    // when the check values cannot be computed (no SHA-256) or have no room below the 2 GiB limit.
    std::vector<uint8_t> finish();

    // The image of a solid package around its index (package/Blocks.h): `data`, the files' data,
    // then the index entry (LZMA-packed at `level`, or stored when that is not smaller or `level` is
    // below 0) and a directory of its record alone. Empty when it would pass the format's limits or
    // the encoder fails.
    static std::vector<uint8_t> aroundIndex(const std::vector<uint8_t>& data, const std::vector<uint8_t>& index,
                                            int level);

private:
    bool fits(const std::u16string& name, size_t size, std::string* error) const;
    bool fitsUnit(const PackedUnit& unit, std::string* error) const;

    struct Record {
        std::u16string name;
        uint32_t offset, stored, unpacked;
        sha256::Digest digest;
        bool inBlock;   // a member of a block, which the block's digest covers
    };
    static void putRecord(std::vector<uint8_t>& image, const std::u16string& name, uint32_t offset, uint32_t stored,
                          uint32_t unpacked);
    int level_;
    bool checkValues_;
    std::vector<uint8_t> data_;
    std::vector<Record> records_;
    std::vector<blocks::Block> blocks_;
    size_t directoryBytes_ = 0;   // the directory records written so far
};

// Splits a package entry name into folder components, treating "/" and "\" alike. Returns false
// for names that would leave the destination folder: absolute paths, drive letters or streams
// (":"), "." or ".." components, and empty names.
bool safeRelativeParts(const std::u16string& name, std::vector<std::u16string>* parts);
