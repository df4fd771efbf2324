// The check-value entry of a package: SHA-256 of every other entry's unpacked data and of the directory.
#pragma once

#include "Sha256.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The entry is stored as is (unpacked size 0) under kEntryName, and its directory record is the
// directory's last. Its bytes, all integers little-endian:
//
//   0       4    magic "OCV1", or "OCV2" in a solid package whose block map carries the blocks'
//                digests ("OBK2", Blocks.h)
//   4       4    record count N: one record per file, each exactly once; in "OCV2" none for a
//                member of a block, which its block's digest covers
//   8       32   SHA-256 of the directory from its first byte up to this entry's own record
//   40      ...  N records: name length in UTF-16 units (2 bytes, 1 to 1023), the name (UTF-16LE,
//                no terminator), the unpacked size (4 bytes), SHA-256 of the unpacked data (32)
//   end-32  32   SHA-256 of every byte before it
//
// The reserved name begins with "/": no file below a folder has such a relative name, and
// extraction refuses it as leaving the destination.
namespace checkvalues {

constexpr char16_t kEntryName[] = u"/sha256";
constexpr char kMagic[4] = {'O', 'C', 'V', '1'};
constexpr char kMagicBlocksApart[4] = {'O', 'C', 'V', '2'};
constexpr size_t kMaxNameUnits = 1023;

struct Record {
    std::u16string name;
    uint32_t size = 0;
    sha256::Digest digest{};
};

// The entry's bytes, "OCV2" when `blocksApart` (the blocks' members left to the block map's
// digests), else "OCV1"; false when a digest cannot be computed or a name is empty or too long.
bool encode(const sha256::Digest& directory, const std::vector<Record>& records, bool blocksApart,
            std::vector<uint8_t>* out);

// Parses the entry's bytes, refusing anything but exactly the layout above with its own digest
// intact and at most `mostRecords` records; `blocksApart` says which magic it has. `error` says why.
bool decode(const uint8_t* data, size_t size, size_t mostRecords, sha256::Digest* directory,
            std::vector<Record>* records, bool* blocksApart, std::string* error);

} // namespace checkvalues
