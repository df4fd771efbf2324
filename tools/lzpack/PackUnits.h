// Planning and packing a package in units: a solid block of several files, or files each on their own.
#pragma once

#include <Sha256.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct PackSettings {
    int level = 5;             // < 0: every file stored as is; 0..9: LZMA at that level
    uint32_t solidBytes = 0;   // 0: one LZMA stream per file; otherwise blocks of about this many bytes
    bool checkValues = true;   // the image ends with the check-value entry
};

// 16 MiB: what `--solid` without a size gives.
constexpr uint32_t kDefaultSolidBytes = 16u << 20;

struct PlanInput {
    std::u16string name;   // "/" between folders
    uint64_t size = 0;     // a hint: a file that has changed size since is packed as it now is
};

struct PackUnit {
    std::vector<size_t> members;   // indices into the inputs, in package order
};

// The package order and how files form units, from names and sizes alone, the same on every
// platform. Without blocks: sorted by name, one unit per file. Solid: grouped by extension, then
// name (blocks::before); consecutive files share a block up to `solidBytes`, or up to 1.25 times that
// when what is left of their extension fits in the rest (at most a quarter block); a file of that size or
// more, an empty file and a file of 1 MiB or more whose extension says it is compressed already are
// units of their own; a block closes at 1,024 files. Solid units then take turns by kind, units of
// many small files with units of few large ones, so that an installer creates files while it decodes.
std::vector<PackUnit> planUnits(const std::vector<PlanInput>& inputs, const PackSettings& settings);

// Whether files with this name are compressed already (pictures, archives, media), so that LZMA
// would not shrink them: a large one never goes into a block, and is stored unless LZMA happens to help.
bool compressedAlready(const std::u16string& name);

// One file as it goes into the image.
struct PackedFile {
    std::u16string name;
    std::vector<uint8_t> bytes;   // the file's own data: LZMA properties and stream, or the file; empty in a block
    uint32_t unpacked = 0;        // 0: stored as is; otherwise the file's size
    sha256::Digest digest{};      // of the file's bytes (a block member's is for caches: the package
                                  // carries its block's)
    uint64_t size() const { return unpacked ? unpacked : bytes.size(); }
};

// A packed unit: either one LZMA block whose unpacked bytes are the files back to back (`block`
// not empty, every file's `bytes` empty), or files each packed on its own.
struct PackedUnit {
    std::vector<uint8_t> block;
    sha256::Digest blockDigest{};   // of the unpacked block, when there is one
    std::vector<PackedFile> files;
};

// Pure: the same names, bytes and settings always give the same PackedUnit (any thread, any
// platform). Several files become one block unless the block would not be smaller than the files
// stored, in which case each is packed on its own (LZMA where that helps, else stored). False with
// a message when the encoder fails or a file is too large for the format.
bool packUnit(const PackSettings& settings, const std::vector<std::u16string>& names,
              const std::vector<std::vector<uint8_t>>& data, PackedUnit* out, std::string* error);

// A PackedUnit as bytes and back (for caches). deserialise refuses anything it did not write
// whole, checking every length, and a unit whose file sizes do not add up to its block's; a unit
// in an earlier form (another magic) too, so that a cache packs it anew.
bool serialise(const PackedUnit& unit, std::vector<uint8_t>* out);
bool deserialise(const uint8_t* data, size_t size, PackedUnit* out);
