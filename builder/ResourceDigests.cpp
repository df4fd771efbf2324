// Writes the digest resource the installer's self-check reads.
#include "ResourceDigests.h"

#include <Sha256.h>

#include <algorithm>

namespace {
constexpr uint32_t kSlice = 1u << 20;

void put32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(v >> (8 * i)));
}
} // namespace

std::vector<uint8_t> resourceDigests(const std::vector<std::pair<uint32_t, const std::vector<uint8_t>*>>& resources)
{
    std::vector<uint8_t> out{'O', 'R', 'V', 'O', 'D', 'I', 'G', '1'};
    put32(out, uint32_t(resources.size()));
    put32(out, kSlice);
    for (const auto& [id, bytes] : resources) {
        put32(out, id);
        put32(out, uint32_t(bytes->size()));
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
