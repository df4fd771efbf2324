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
//   0       4    magic: "OBK2" in a package with check values, "OBK1" in one without
//   4       4    block count B, at least 1
//   8       B*R  per block: data offset, stored size (at least 5), unpacked size, position of its
//                first member among the directory's records (0 for the first record), member
//                count (at least 2); in "OBK2" then the SHA-256 of the unpacked block (R = 52,
//                20 in "OBK1")
//   end-32  32   SHA-256 of every byte before it
//
// The block's digest is its members' check value: the check-value entry ("OCV2", CheckValues.h)
// has no record for them, so that a block is hashed once, whole, before any of its files is
// handed out. An "OBK2" map comes only with an "OCV2" entry and the other way round. "OBK1" with
// "OCV1" (a record, with its digest, for every member) is the earlier form, still read.
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
constexpr char kMagicWithDigests[4] = {'O', 'B', 'K', '2'};
constexpr size_t kRecordSize = 20;
constexpr size_t kDigestRecordSize = kRecordSize + 32;

struct Block {
    uint32_t dataOffset = 0;
    uint32_t storedSize = 0;
    uint32_t unpackedSize = 0;
    uint32_t firstRecord = 0;
    uint32_t recordCount = 0;
    sha256::Digest digest{};   // of the unpacked block; in "OBK2" only
};

// The entry's bytes, "OBK2" with the blocks' digests or "OBK1" without; false when SHA-256 cannot
// be computed.
bool encode(const std::vector<Block>& list, bool withDigests, std::vector<uint8_t>* out);

// Parses the entry's bytes: exactly one of the layouts above with its own digest intact,
// `withDigests` saying which. Where the blocks lie and whether their members fit is the Package's
// to check. `error` says why it refused.
bool decode(const uint8_t* data, size_t size, std::vector<Block>* list, bool* withDigests, std::string* error);

// The package order of a solid package: files grouped by extension (the text after the last "."
// of the last name component, not counting a leading one, ASCII letters folded to lower case),
// then by name, comparing UTF-16 code units. Files of one kind sit together, so a block holds
// similar bytes.
std::u16string extensionOf(const std::u16string& name);
bool before(const std::u16string& a, const std::u16string& b);

} // namespace blocks
