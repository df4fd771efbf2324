// Checks the running installer's file and resources before it does anything else.
#include "SelfCheck.h"

#include "NamedResources.h"

#include <FileSystem.h>
#include <LittleEndian.h>
#include <Sha256.h>
#include <platform/Handle.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

namespace {

constexpr char kMagic[8] = {'O', 'R', 'V', 'O', 'D', 'I', 'G', '1'};
// Slices smaller than this would let a hostile digest resource ask for millions of them.
constexpr uint32_t kSmallestSlice = 4096;
constexpr unsigned kMostThreads = 8;
// The five named files, then the uninstaller's recipe, which an installer built without an
// uninstaller does not carry.
constexpr int kCheckedIds[] = {
#define ORVO_CHECKED_ID(id, name) id,
    ORVO_NAMED_RESOURCES(ORVO_CHECKED_ID)
#undef ORVO_CHECKED_ID
    ORVO_ID_UNINSTALLER,
};
constexpr size_t kCheckedCount = sizeof kCheckedIds / sizeof kCheckedIds[0];
constexpr size_t kRequiredCount = kCheckedCount - 1;

// One slice of a resource and the digest it must have.
struct Slice {
    int id;
    const uint8_t* bytes;
    size_t length;
    const uint8_t* digest;
};

bool readAt(HANDLE file, uint64_t offset, void* out, DWORD size)
{
    OVERLAPPED at = {};
    at.Offset = DWORD(offset);
    at.OffsetHigh = DWORD(offset >> 32);
    DWORD read = 0;
    return ReadFile(file, out, size, &read, &at) && read == size;
}

// The file size the PE headers account for: the end of the last section's raw data, of the
// certificate table and of the COFF symbol and string tables, whichever lies furthest. `exact`
// when the file is signed: the certificate table is then the file's last part, and a byte after
// it would be data its signature does not cover.
bool expectedFileSize(HANDLE file, uint64_t fileSize, uint64_t* expected, bool* exact, std::wstring* why)
{
    uint8_t dos[64];
    if (!readAt(file, 0, dos, sizeof dos) || dos[0] != 'M' || dos[1] != 'Z') {
        *why = L"no executable header";
        return false;
    }
    uint32_t pe = le::readU32(dos + 0x3C);
    uint8_t headers[24 + 240];
    if (pe > fileSize || !readAt(file, pe, headers, sizeof headers) || std::memcmp(headers, "PE\0\0", 4) != 0 ||
        headers[24] != 0x0B || headers[25] != 0x02) {
        *why = L"no 64-bit PE header";
        return false;
    }
    unsigned sections = headers[6] | headers[7] << 8;
    unsigned optionalSize = headers[20] | headers[21] << 8;
    uint64_t end = 0, signatureEnd = 0;
    // certificate table: data directory 4, whose "address" is a file offset
    if (optionalSize >= 112 + 5 * 8) {
        uint32_t offset = le::readU32(headers + 24 + 112 + 4 * 8), size = le::readU32(headers + 24 + 112 + 4 * 8 + 4);
        if (size)
            end = signatureEnd = uint64_t(offset) + size;
    }
    std::vector<uint8_t> table(size_t(sections) * 40);
    if (!readAt(file, uint64_t(pe) + 24 + optionalSize, table.data(), DWORD(table.size()))) {
        *why = L"section table cut short";
        return false;
    }
    for (unsigned s = 0; s < sections; ++s) {
        uint32_t rawSize = le::readU32(&table[s * 40 + 16]), rawOffset = le::readU32(&table[s * 40 + 20]);
        if (rawSize)
            end = std::max(end, uint64_t(rawOffset) + rawSize);
    }
    uint32_t symbols = le::readU32(headers + 12), symbolCount = le::readU32(headers + 16);
    if (symbols) {
        uint64_t strings = uint64_t(symbols) + uint64_t(symbolCount) * 18;
        uint8_t length[4];
        if (strings + 4 > fileSize || !readAt(file, strings, length, 4)) {
            *why = L"symbol table cut short";
            return false;
        }
        end = std::max(end, strings + le::readU32(length));
    }
    *expected = end;
    *exact = signatureEnd != 0;
    if (*exact && signatureEnd != end) {
        *why = L"the signature is not the file's last part";
        return false;
    }
    return true;
}

} // namespace

std::wstring checkResources(HMODULE module)
{
    size_t size = 0;
    const uint8_t* digests = namedResourceBytes(module, ORVO_ID_DIGESTS, &size);
    if (!digests)
        return L"the digest resource is missing";
    size_t recipeSize = 0;
    const size_t listed = namedResourceBytes(module, ORVO_ID_UNINSTALLER, &recipeSize) ? kCheckedCount : kRequiredCount;
    if (size < 16 || std::memcmp(digests, kMagic, 8) != 0 || le::readU32(digests + 8) != listed)
        return L"the digest resource is malformed";
    uint32_t slice = le::readU32(digests + 12);
    if (slice < kSmallestSlice)
        return L"the digest resource is malformed";

    // gather: every slice of every named resource, each named resource exactly once
    std::vector<Slice> slices;
    bool seen[kCheckedCount] = {};
    size_t pos = 16;
    for (size_t r = 0; r < listed; ++r) {
        if (size - pos < 8)
            return L"the digest resource is malformed";
        int id = int(le::readU32(digests + pos));
        uint32_t expected = le::readU32(digests + pos + 4);
        pos += 8;
        size_t slot = 0;
        while (slot < kCheckedCount && kCheckedIds[slot] != id)
            ++slot;
        if (slot == kCheckedCount || seen[slot])
            return L"the digest resource lists resource " + std::to_wstring(id) + L" wrongly";
        seen[slot] = true;
        size_t length = 0;
        const uint8_t* bytes = namedResourceBytes(module, id, &length);
        if (!bytes)
            return L"resource " + std::to_wstring(id) + L" is missing";
        if (length != expected)
            return L"resource " + std::to_wstring(id) + L" has " + std::to_wstring(length) + L" bytes instead of " +
                   std::to_wstring(expected);
        size_t count = std::max<size_t>(1, (size_t(length) + slice - 1) / slice);
        if ((size - pos) / 32 < count)
            return L"the digest resource is malformed";
        for (size_t k = 0; k < count; ++k) {
            size_t at = k * slice;
            slices.push_back({id, bytes + at, std::min<size_t>(slice, length - at), digests + pos + k * 32});
        }
        pos += count * 32;
    }
    if (pos != size)
        return L"the digest resource is malformed";

    // check: the slices on every core; the first bad one (in resource order) names the resource
    std::vector<char> bad(slices.size(), 0);
    std::atomic<size_t> next{0};
    std::atomic<bool> unavailable{false};
    auto work = [&] {
        for (size_t k; (k = next.fetch_add(1)) < slices.size();) {
            sha256::Digest actual;
            if (!sha256::digest(slices[k].bytes, slices[k].length, &actual))
                unavailable = true;
            else
                bad[k] = std::memcmp(actual.data(), slices[k].digest, actual.size()) != 0;
        }
    };
    std::vector<std::thread> helpers;
    unsigned cores = std::min(std::max(std::thread::hardware_concurrency(), 1u), kMostThreads);
    try {
        for (unsigned t = 1; t < cores && t < slices.size(); ++t)
            helpers.emplace_back(work);
    } catch (...) {
        // no more threads: the calling one checks what is left
    }
    work();
    for (std::thread& helper : helpers)
        helper.join();
    if (unavailable)
        return L"SHA-256 is not available";
    for (size_t k = 0; k < slices.size(); ++k)
        if (bad[k])
            return L"resource " + std::to_wstring(slices[k].id) + L" does not match its SHA-256";
    return {};
}

std::wstring checkImageFile(const std::wstring& path)
{
    platform::UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size;
    if (!file || !GetFileSizeEx(file.get(), &size))
        return L"the executable file cannot be read";
    uint64_t expected = 0;
    bool exact = false;
    std::wstring why;
    if (!expectedFileSize(file.get(), uint64_t(size.QuadPart), &expected, &exact, &why))
        return L"the executable file is damaged: " + why;
    if (exact && uint64_t(size.QuadPart) > expected)
        return L"the executable file has " + std::to_wstring(uint64_t(size.QuadPart) - expected) +
               L" bytes after its signature";
    if (uint64_t(size.QuadPart) < expected)
        return L"the executable file has " + std::to_wstring(size.QuadPart) + L" bytes, its headers say " +
               std::to_wstring(expected);
    return {};
}

std::wstring checkInstaller()
{
    try {
        std::wstring path(32768, L'\0');
        DWORD length = GetModuleFileNameW(nullptr, &path[0], DWORD(path.size()));
        if (length == 0 || length >= path.size())
            return L"the executable's own path is unknown";
        path.resize(length);
        std::wstring why = checkImageFile(path);
        return why.empty() ? checkResources(GetModuleHandleW(nullptr)) : why;
    } catch (...) {
        return L"out of memory while checking the executable";
    }
}
