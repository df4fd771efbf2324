// A script as the build stores it in the installer: LZMA-packed behind a marker no Lua text has.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The stored form, integers little-endian:
//
//   0   4   marker: ESC "OLZ"
//   4   4   the script's size in bytes, 1 to kMaxUnpacked
//   8   5   LZMA properties, then the raw stream, which ends exactly with the script's last byte
//
// Lua reads a chunk beginning with ESC as precompiled, and a precompiled chunk begins with ESC
// "Lua": no script text begins with the marker, and anything else is served as it stands.
namespace packedscript {

constexpr char kMarker[4] = {'\x1b', 'O', 'L', 'Z'};
constexpr size_t kHeaderSize = 8;
constexpr size_t kMaxUnpacked = size_t(64) << 20;

bool isPacked(const uint8_t* data, size_t size);

// The script in a new malloc'ed buffer followed by 4 zero bytes (which `unpacked` does not
// count), or null with the reason in `error` when the stored form is damaged in any way.
uint8_t* unpack(const uint8_t* data, size_t size, uint64_t* unpacked, std::string* error);

// The stored form of a script of `textSize` bytes whose LZMA form (the 5 properties bytes, then
// the stream, as PackageWriter::encode gives it) is `lzma`; empty when `lzma` is.
std::vector<uint8_t> wrap(size_t textSize, const std::vector<uint8_t>& lzma);

} // namespace packedscript
