// Solid blocks of a package: the block-map entry that says where each block lies and which files it holds.
#pragma once

#include "Sha256.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A block is one LZMA stream (the 5 properties bytes, then the raw stream, as a packed entry's
// data) whose unpacked bytes are several files back to back. The block's members are consecutive
// directory records, each with stored size 0, unpacked size the file's size (never 0) and data
// offset the file's place inside the unpacked block; together they tile the block exactly, in
// order. The map entry is stored as is under kEntryName, its record the directory's last but for
// the check-value entry's. Its bytes, all integers little-endian:
//
//   0       4    magic "OBK1"
//   4       4    block count B, at least 1
//   8       B*20 per block: data offset, stored size (at least 5), unpacked size, position of its
//                first member among the directory's records (0 for the first record), member
//                count (at least 2)
//   end-32  32   SHA-256 of every byte before it
//
// A reader that knows no blocks sees members as packed entries too short to hold LZMA properties
// and refuses them, never handing out wrong bytes. The reserved name begins with "/", like the
// check-value entry's: no file has it, and extraction refuses it.
//
// A solid package keeps its directory in an index: the image's directory holds one record, under
// kIndexName, an entry like any other (LZMA, or stored when that is not smaller) whose data follows
// every file's and whose unpacked bytes, at most kMaxIndexBytes, are exactly:
//
//   the directory records as the image's directory would hold them (every file's, then the block
//   map's, then the check-value entry's if there is one), and the closing zero length;
//   the block map's bytes; the check-value entry's bytes, if any.
//
// The block map's and the check-value entry's data offsets count from the start of the index, and
// the two tile what follows the closing zero, in that order, to the index's last byte. Files' data
// offsets and blocks' stay places in the image. The check-value entry's directory digest covers
// the index from its first byte up to that entry's record. A reader that knows no index sees one
// entry with a reserved name and no files.
namespace blocks {

constexpr char16_t kEntryName[] = u"/blocks";
constexpr char16_t kIndexName[] = u"/index";
constexpr size_t kMaxIndexBytes = size_t(64) << 20;
constexpr char kMagic[4] = {'O', 'B', 'K', '1'};
constexpr size_t kRecordSize = 20;

struct Block {
    uint32_t dataOffset = 0;
    uint32_t storedSize = 0;
    uint32_t unpackedSize = 0;
    uint32_t firstRecord = 0;
    uint32_t recordCount = 0;
};

// The entry's bytes; false when SHA-256 cannot be computed.
bool encode(const std::vector<Block>& list, std::vector<uint8_t>* out);

// Parses the entry's bytes: exactly the layout above with its own digest intact. Where the blocks
// lie and whether their members fit is the Package's to check. `error` says why it refused.
bool decode(const uint8_t* data, size_t size, std::vector<Block>* list, std::string* error);

// The package order of a solid package: files grouped by extension (the text after the last "."
// of the last name component, not counting a leading one, ASCII letters folded to lower case),
// then by name, comparing UTF-16 code units. Files of one kind sit together, so a block holds
// similar bytes.
std::u16string extensionOf(const std::u16string& name);
bool before(const std::u16string& a, const std::u16string& b);

} // namespace blocks
