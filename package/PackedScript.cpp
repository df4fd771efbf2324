// Unpacks a script the build stored packed, refusing any stream that does not give exactly the script.
#include "PackedScript.h"

#include "LittleEndian.h"
#include "LzmaStream.h"

#include <cstdlib>
#include <cstring>

namespace packedscript {

namespace {

constexpr size_t kPropsSize = lzmastream::kPropertiesSize;

} // namespace

bool isPacked(const uint8_t* data, size_t size)
{
    return data && size >= sizeof kMarker && std::memcmp(data, kMarker, sizeof kMarker) == 0;
}

uint8_t* unpack(const uint8_t* data, size_t size, uint64_t* unpacked, std::string* error)
{
    if (!isPacked(data, size) || size < kHeaderSize + kPropsSize) {
        *error = "packed script has no valid header";
        return nullptr;
    }
    size_t length = le::readU32(data + 4);
    if (length == 0 || length > kMaxUnpacked) {
        *error = "packed script claims " + std::to_string(length) + " bytes";
        return nullptr;
    }
    auto buffer = static_cast<uint8_t*>(std::malloc(length + 4));
    if (!buffer) {
        *error = "out of memory for a script of " + std::to_string(length) + " bytes";
        return nullptr;
    }
    // the whole stream, ending with the script's last byte: a changed byte anywhere fails
    if (!lzmastream::decodeExactly(data + kHeaderSize, size - kHeaderSize - kPropsSize, buffer, length, nullptr, nullptr,
                                   true)) {
        std::free(buffer);
        *error = "packed script is damaged";
        return nullptr;
    }
    std::memset(buffer + length, 0, 4);
    *unpacked = length;
    return buffer;
}

std::vector<uint8_t> wrap(size_t textSize, const std::vector<uint8_t>& lzma)
{
    if (lzma.empty())
        return {};
    std::vector<uint8_t> stored(kMarker, kMarker + sizeof kMarker);
    for (int i = 0; i < 4; ++i)
        stored.push_back(uint8_t(textSize >> (8 * i)));
    stored.insert(stored.end(), lzma.begin(), lzma.end());
    return stored;
}

} // namespace packedscript
