// Writes and parses the check-value entry, checking every length against the entry's size.
#include "CheckValues.h"

#include "LittleEndian.h"

#include <cstring>

namespace checkvalues {

namespace {

constexpr size_t kHeaderSize = 4 + 4 + 32;
constexpr size_t kDigestSize = 32;
constexpr size_t kSmallestRecord = 2 + 2 + 4 + kDigestSize;


} // namespace

bool encode(const sha256::Digest& directory, const std::vector<Record>& records, bool blocksApart,
            std::vector<uint8_t>* out)
{
    const char* magic = blocksApart ? kMagicBlocksApart : kMagic;
    out->assign(magic, magic + 4);
    le::putU32(*out, uint32_t(records.size()));
    out->insert(out->end(), directory.begin(), directory.end());
    for (const Record& record : records) {
        if (record.name.empty() || record.name.size() > kMaxNameUnits)
            return false;
        le::putU16(*out, uint32_t(record.name.size()));
        for (char16_t unit : record.name)
            le::putU16(*out, unit);
        le::putU32(*out, record.size);
        out->insert(out->end(), record.digest.begin(), record.digest.end());
    }
    sha256::Digest own;
    if (!sha256::digest(out->data(), out->size(), &own))
        return false;
    out->insert(out->end(), own.begin(), own.end());
    return true;
}

bool decode(const uint8_t* data, size_t size, size_t mostRecords, sha256::Digest* directory,
            std::vector<Record>* records, bool* blocksApart, std::string* error)
{
    records->clear();
    if (size < kHeaderSize + kDigestSize ||
        (std::memcmp(data, kMagic, 4) != 0 && std::memcmp(data, kMagicBlocksApart, 4) != 0)) {
        *error = "check-value entry has no valid header";
        return false;
    }
    // its own digest first: the fields below are trusted only once the bytes are known whole
    if (!sha256::endsWithOwnDigest(data, size, "check-value entry", error))
        return false;
    *blocksApart = std::memcmp(data, kMagicBlocksApart, 4) == 0;
    size_t count = le::readU32(data + 4);
    size_t end = size - kDigestSize;
    if (count > mostRecords || count > (end - kHeaderSize) / kSmallestRecord) {
        *error = "check-value entry claims " + std::to_string(count) + " records";
        return false;
    }
    std::memcpy(directory->data(), data + 8, kDigestSize);
    size_t pos = kHeaderSize;
    records->reserve(count);
    for (size_t i = 0; i < count; ++i) {
        if (end - pos < 2) {
            *error = "check-value record " + std::to_string(i) + " is cut short";
            return false;
        }
        size_t units = le::readU16(data + pos);
        pos += 2;
        if (units == 0 || units > kMaxNameUnits || end - pos < units * 2 + 4 + kDigestSize) {
            *error = "check-value record " + std::to_string(i) + " has a bad name length";
            return false;
        }
        Record record;
        for (size_t u = 0; u < units; ++u)
            record.name.push_back(char16_t(le::readU16(data + pos + u * 2)));
        pos += units * 2;
        record.size = le::readU32(data + pos);
        pos += 4;
        std::memcpy(record.digest.data(), data + pos, kDigestSize);
        pos += kDigestSize;
        records->push_back(std::move(record));
    }
    if (pos != end) {
        *error = "check-value entry has " + std::to_string(end - pos) + " bytes after its records";
        return false;
    }
    return true;
}

} // namespace checkvalues
