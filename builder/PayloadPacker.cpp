// Packs files on every core; a unit whose key is in the cache folder is read back instead of packed.
#include "PayloadPacker.h"

#include "FileIo.h"

#include <platform/Utf.h>

#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <mutex>
#include <thread>

namespace fs = std::filesystem;

namespace {

constexpr char kUnitMagic[4] = {'O', 'B', 'U', '1'};

// The units of a package and their members, in package order. Not solid: one file each.
std::vector<std::vector<size_t>> planFileUnits(const std::vector<PackInput>& inputs, const PackOptions&)
{
    std::vector<std::vector<size_t>> units;
    for (size_t i = 0; i < inputs.size(); ++i)
        units.push_back({i});
    return units;
}

// A packed unit as the writer appends it.
struct CachedUnit {
    std::vector<PackageWriter::Packed> entries;
};

bool packFileUnit(const PackOptions& options, std::vector<std::vector<uint8_t>> data, CachedUnit* out, std::string* error)
{
    out->entries.clear();
    for (std::vector<uint8_t>& bytes : data) {
        PackageWriter::Packed packed;
        if (!PackageWriter::pack(options.level, std::move(bytes), &packed, error))
            return false;
        out->entries.push_back(std::move(packed));
    }
    return true;
}

void put32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(v >> (8 * i)));
}
uint32_t get32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

// "OBU1", the entry count, per entry its unpacked size, the digest of its file, the length and the
// bytes; then the SHA-256 of all that, so that a cache file cut short or changed is packed anew.
std::vector<uint8_t> serialiseUnit(const CachedUnit& unit)
{
    std::vector<uint8_t> out(kUnitMagic, kUnitMagic + 4);
    put32(out, uint32_t(unit.entries.size()));
    for (const PackageWriter::Packed& e : unit.entries) {
        put32(out, e.unpacked);
        out.insert(out.end(), e.digest.begin(), e.digest.end());
        put32(out, uint32_t(e.bytes.size()));
        out.insert(out.end(), e.bytes.begin(), e.bytes.end());
    }
    sha256::Digest all{};
    sha256::digest(out.data(), out.size(), &all);
    out.insert(out.end(), all.begin(), all.end());
    return out;
}

bool deserialiseUnit(const std::vector<uint8_t>& in, CachedUnit* out)
{
    sha256::Digest all{};
    if (in.size() < 8 + 32 || std::memcmp(in.data(), kUnitMagic, 4) != 0 ||
        !sha256::digest(in.data(), in.size() - 32, &all) || std::memcmp(all.data(), &in[in.size() - 32], 32) != 0)
        return false;
    size_t count = get32(&in[4]), at = 8, end = in.size() - 32;
    out->entries.clear();
    for (size_t i = 0; i < count; ++i) {
        if (end - at < 40)
            return false;
        PackageWriter::Packed e;
        e.unpacked = get32(&in[at]);
        std::memcpy(e.digest.data(), &in[at + 4], 32);
        size_t length = get32(&in[at + 36]);
        at += 40;
        if (end - at < length)
            return false;
        e.bytes.assign(in.begin() + at, in.begin() + at + length);
        at += length;
        out->entries.push_back(std::move(e));
    }
    return at == end;
}

} // namespace

std::string hexDigest(const sha256::Digest& d)
{
    static const char kDigits[] = "0123456789abcdef";
    std::string out;
    for (uint8_t b : d) {
        out += kDigits[b >> 4];
        out += kDigits[b & 15];
    }
    return out;
}

sha256::Digest unitKey(const PackOptions& options, const std::vector<std::u16string>& names,
                       const std::vector<sha256::Digest>& contents)
{
    std::string text = "orvo-build unit 1; level " + std::to_string(options.level) + "; solid " +
                       std::to_string(options.solidBytes) + "\n";
    for (size_t i = 0; i < names.size(); ++i)
        text += utf16ToUtf8(names[i]) + "\n" + hexDigest(contents[i]) + "\n";
    sha256::Digest key{};
    sha256::digest(text.data(), text.size(), &key);
    return key;
}

fs::path defaultCacheFolder()
{
#ifdef _WIN32
    if (const wchar_t* local = _wgetenv(L"LOCALAPPDATA"); local && *local)
        return fs::path(local) / "orvo-build";
#else
    if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg && *xdg == '/')
        return fs::path(xdg) / "orvo-build";
    if (const char* home = std::getenv("HOME"); home && *home)
        return fs::path(home) / ".cache" / "orvo-build";
#endif
    return {};
}

bool packFiles(const std::vector<PackInput>& inputs, const PackOptions& options, PackCounters* counters,
               std::vector<uint8_t>* image, std::string* error)
{
    std::vector<std::vector<size_t>> units = planFileUnits(inputs, options);
    std::vector<CachedUnit> packed(units.size());
    std::vector<std::string> failures(units.size());
    std::atomic<size_t> next{0};
    std::atomic<bool> failed{false};

    auto tally = [&](size_t u, uint64_t bytes) {
        counters->files += units[u].size();
        counters->bytesIn += bytes;
        for (const auto& e : packed[u].entries)
            counters->bytesOut += e.bytes.size();
    };
    // one unit: read its members, look its key up, pack and store it when it is not there
    auto one = [&](size_t u) {
        std::vector<std::vector<uint8_t>> data;
        std::vector<std::u16string> names;
        std::vector<sha256::Digest> contents;
        uint64_t bytes = 0;
        for (size_t member : units[u]) {
            const PackInput& input = inputs[member];
            std::vector<uint8_t> content;
            if (input.bytes) {
                content = *input.bytes;
            } else if (!readFile(input.path, &content, &failures[u])) {
                return false;
            }
            sha256::Digest digest{};
            if (!sha256::digest(content.data(), content.size(), &digest)) {
                failures[u] = "SHA-256 is not available";
                return false;
            }
            bytes += content.size();
            names.push_back(input.name);
            contents.push_back(digest);
            data.push_back(std::move(content));
        }
        fs::path cached;
        if (!options.cache.empty()) {
            std::string key = hexDigest(unitKey(options, names, contents));
            cached = options.cache / key.substr(0, 2) / key;
            std::vector<uint8_t> stored;
            std::string ignored;
            if (fs::exists(cached) && readFile(cached, &stored, &ignored) && deserialiseUnit(stored, &packed[u]) &&
                packed[u].entries.size() == contents.size()) {
                bool same = true;
                for (size_t i = 0; i < contents.size(); ++i)
                    same = same && packed[u].entries[i].digest == contents[i];
                if (same) {
                    ++counters->unitsCached;
                    tally(u, bytes);
                    return true;
                }
            }
        }
        if (!packFileUnit(options, std::move(data), &packed[u], &failures[u]))
            return false;
        if (!cached.empty()) {
            // a cache that cannot be written only costs the next build its time
            std::string ignored;
            std::error_code ec;
            fs::create_directories(cached.parent_path(), ec);
            std::vector<uint8_t> bytesOut = serialiseUnit(packed[u]);
            writeFileAtomically(cached, bytesOut, &ignored);
        }
        ++counters->unitsPacked;
        tally(u, bytes);
        return true;
    };
    // the largest units start first, so that no thread is left packing a large one alone at the end
    std::vector<size_t> order(units.size());
    std::vector<uint64_t> sizes(units.size(), 0);
    for (size_t u = 0; u < units.size(); ++u) {
        order[u] = u;
        for (size_t member : units[u])
            sizes[u] += inputs[member].size;
    }
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return sizes[a] > sizes[b]; });
    auto work = [&] {
        for (size_t k; !failed && (k = next.fetch_add(1)) < order.size();)
            if (!one(order[k]))
                failed = true;
    };
    std::vector<std::thread> helpers;
    for (unsigned t = 1; t < options.jobs && t < units.size(); ++t)
        helpers.emplace_back(work);
    work();
    for (std::thread& helper : helpers)
        helper.join();
    for (size_t u = 0; u < units.size(); ++u)
        if (!failures[u].empty()) {
            *error = utf16ToUtf8(inputs[units[u].front()].name) + ": " + failures[u];
            return false;
        }

    // append in plan order
    PackageWriter writer(options.level, options.checkValues);
    for (size_t u = 0; u < units.size(); ++u)
        for (size_t i = 0; i < units[u].size(); ++i)
            if (!writer.append(inputs[units[u][i]].name, std::move(packed[u].entries[i]), error)) {
                *error = utf16ToUtf8(inputs[units[u][i]].name) + ": " + *error;
                return false;
            }
    *image = writer.finish();
    if (image->empty()) {
        *error = "the package's check values could not be computed";
        return false;
    }
    return true;
}
