// Writes the digest resource the installer's self-check reads.
#include "ResourceDigests.h"

#include <LittleEndian.h>
#include <Sha256.h>

#include <algorithm>

namespace {
constexpr uint32_t kSlice = 1u << 20;
} // namespace

std::vector<uint8_t> resourceDigests(const std::vector<std::pair<uint32_t, const std::vector<uint8_t>*>>& resources)
{
    std::vector<uint8_t> out{'O', 'R', 'V', 'O', 'D', 'I', 'G', '1'};
    le::putU32(out, uint32_t(resources.size()));
    le::putU32(out, kSlice);
    for (const auto& [id, bytes] : resources) {
        le::putU32(out, id);
        le::putU32(out, uint32_t(bytes->size()));
        size_t at = 0;
        do {
            size_t length = std::min<size_t>(kSlice, bytes->size() - at);
            sha256::Digest digest{};
            if (!sha256::digest(bytes->data() + at, length, &digest))
                return {};
            out.insert(out.end(), digest.begin(), digest.end());
            at += length;
        } while (at < bytes->size());
    }
    return out;
}
