// Little-endian integers, as every structure of a package (and the recipes and digests beside it)
// stores them, read from bytes and appended to a buffer.
#pragma once

#include <cstdint>
#include <vector>

namespace le {

inline uint32_t readU16(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }
inline uint32_t readU32(const uint8_t* p) { return readU16(p) | readU16(p + 2) << 16; }
inline uint64_t readU64(const uint8_t* p) { return readU32(p) | uint64_t(readU32(p + 4)) << 32; }

inline void putU16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}
inline void putU32(std::vector<uint8_t>& out, uint32_t v)
{
    putU16(out, v & 0xFFFF);
    putU16(out, v >> 16);
}
inline void putU64(std::vector<uint8_t>& out, uint64_t v)
{
    putU32(out, uint32_t(v));
    putU32(out, uint32_t(v >> 32));
}

} // namespace le
