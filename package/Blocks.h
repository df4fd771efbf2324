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
namespace blocks {

constexpr char16_t kEntryName[] = u"/blocks";
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
