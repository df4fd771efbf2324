// Writes and parses the block-map entry, and the order rule of solid packages.
#include "Blocks.h"

#include "LittleEndian.h"

#include <cstring>

namespace blocks {

namespace {

constexpr size_t kHeaderSize = 8;
constexpr size_t kDigestSize = 32;

} // namespace

bool encode(const std::vector<Block>& list, bool withDigests, std::vector<uint8_t>* out)
{
    const char* magic = withDigests ? kMagicWithDigests : kMagic;
    out->assign(magic, magic + 4);
    le::putU32(*out, uint32_t(list.size()));
    for (const Block& block : list) {
        le::putU32(*out, block.dataOffset);
        le::putU32(*out, block.storedSize);
        le::putU32(*out, block.unpackedSize);
        le::putU32(*out, block.firstRecord);
        le::putU32(*out, block.recordCount);
        if (withDigests)
            out->insert(out->end(), block.digest.begin(), block.digest.end());
    }
    sha256::Digest own;
    if (!sha256::digest(out->data(), out->size(), &own))
        return false;
    out->insert(out->end(), own.begin(), own.end());
    return true;
}

bool decode(const uint8_t* data, size_t size, std::vector<Block>* list, bool* withDigests, std::string* error)
{
    list->clear();
    if (size < kHeaderSize + kDigestSize ||
        (std::memcmp(data, kMagic, 4) != 0 && std::memcmp(data, kMagicWithDigests, 4) != 0)) {
        *error = "block map has no valid header";
        return false;
    }
    if (!sha256::endsWithOwnDigest(data, size, "block map", error))
        return false;
    *withDigests = std::memcmp(data, kMagicWithDigests, 4) == 0;
    const size_t recordSize = *withDigests ? kDigestRecordSize : kRecordSize;
    size_t count = le::readU32(data + 4);
    size_t body = size - kHeaderSize - kDigestSize;
    if (count == 0 || body % recordSize != 0 || body / recordSize != count) {
        *error = "block map claims " + std::to_string(count) + " blocks in " + std::to_string(body) + " bytes";
        return false;
    }
    list->reserve(count);
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* p = data + kHeaderSize + i * recordSize;
        Block block{le::readU32(p), le::readU32(p + 4), le::readU32(p + 8), le::readU32(p + 12), le::readU32(p + 16)};
        if (*withDigests)
            std::memcpy(block.digest.data(), p + kRecordSize, kDigestSize);
        list->push_back(block);
    }
    return true;
}

std::u16string extensionOf(const std::u16string& name)
{
    size_t slash = name.find_last_of(u"/\\");
    size_t start = slash == std::u16string::npos ? 0 : slash + 1;
    size_t dot = name.find_last_of(u'.');
    if (dot == std::u16string::npos || dot <= start)
        return {};
    std::u16string extension = name.substr(dot + 1);
    for (char16_t& c : extension)
        if (c >= u'A' && c <= u'Z')
            c = char16_t(c - u'A' + u'a');
    return extension;
}

bool before(const std::u16string& a, const std::u16string& b)
{
    std::u16string ea = extensionOf(a), eb = extensionOf(b);
    if (ea != eb)
        return ea < eb;
    return a < b;
}

} // namespace blocks
