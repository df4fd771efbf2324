// Packs files on every core; a unit whose key is in the cache folder is read back instead of packed.
#include "PayloadPacker.h"

#include "FileIo.h"

#include <PackageWriter.h>
#include <ParallelPacker.h>
#include <platform/Utf.h>

#include <cstdlib>
#include <cstring>

namespace fs = std::filesystem;

namespace {

// A cache file: the unit as serialise writes it, then the SHA-256 of those bytes, so that a file
// cut short or changed on disk is packed anew rather than trusted.
std::vector<uint8_t> cacheBytes(const PackedUnit& unit)
{
    std::vector<uint8_t> out;
    serialise(unit, &out);
    sha256::Digest all{};
    sha256::digest(out.data(), out.size(), &all);
    out.insert(out.end(), all.begin(), all.end());
    return out;
}

// The unit in a cache file, when the file is whole and holds exactly these members.
bool fromCache(const std::vector<uint8_t>& stored, const std::vector<std::u16string>& names,
               const std::vector<sha256::Digest>& contents, PackedUnit* out)
{
    sha256::Digest all{};
    if (stored.size() < all.size() || !sha256::digest(stored.data(), stored.size() - all.size(), &all) ||
        std::memcmp(all.data(), &stored[stored.size() - all.size()], all.size()) != 0 ||
        !deserialise(stored.data(), stored.size() - all.size(), out) || out->files.size() != names.size())
        return false;
    for (size_t i = 0; i < names.size(); ++i)
        if (out->files[i].name != names[i] || out->files[i].digest != contents[i])
            return false;
    return true;
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
    std::string text = "orvo-build unit 2; level " + std::to_string(options.level) + "; solid " +
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
               std::vector<uint8_t>* image, std::vector<size_t>* order, std::string* error)
{
    PackSettings settings;
    settings.level = options.level;
    settings.solidBytes = options.solidBytes;
    settings.checkValues = options.checkValues;
    std::vector<PlanInput> plan;
    for (const PackInput& input : inputs)
        plan.push_back({input.name, input.size});
    std::vector<PackUnit> units = planUnits(plan, settings);
    if (order) {
        order->clear();
        for (const PackUnit& unit : units)
            order->insert(order->end(), unit.members.begin(), unit.members.end());
    }

    auto tally = [counters](const PackedUnit& unit, uint64_t bytes) {
        counters->files += unit.files.size();
        counters->bytesIn += bytes;
        uint64_t out = unit.block.size();
        for (const PackedFile& file : unit.files)
            out += file.bytes.size();
        counters->bytesOut += out;
    };
    // one unit: read its members, look its key up, pack and store it when it is not there
    auto one = [&](const PackUnit& unit, PackedUnit* out, size_t* failed, std::string* why) {
        std::vector<std::vector<uint8_t>> data;
        std::vector<std::u16string> names;
        std::vector<sha256::Digest> contents;
        uint64_t bytes = 0;
        for (size_t member : unit.members) {
            *failed = member;
            const PackInput& input = inputs[member];
            std::vector<uint8_t> content;
            if (input.bytes)
                content = *input.bytes;
            else if (!readFile(input.path, &content, why))
                return false;
            sha256::Digest digest{};
            if (!sha256::digest(content.data(), content.size(), &digest)) {
                *why = "SHA-256 is not available";
                return false;
            }
            bytes += content.size();
            names.push_back(input.name);
            contents.push_back(digest);
            data.push_back(std::move(content));
        }
        *failed = unit.members.front();
        fs::path cached;
        if (!options.cache.empty()) {
            std::string key = hexDigest(unitKey(options, names, contents));
            cached = options.cache / key.substr(0, 2) / key;
            std::vector<uint8_t> stored;
            std::string ignored;
            std::error_code ec;
            if (fs::exists(cached, ec) && readFile(cached, &stored, &ignored) && fromCache(stored, names, contents, out)) {
                ++counters->unitsCached;
                tally(*out, bytes);
                return true;
            }
        }
        if (!packUnit(settings, names, data, out, why))
            return false;
        if (!cached.empty()) {
            // a cache that cannot be written only costs the next build its time
            std::string ignored;
            std::error_code ec;
            fs::create_directories(cached.parent_path(), ec);
            writeFileAtomically(cached, cacheBytes(*out), &ignored);
        }
        ++counters->unitsPacked;
        tally(*out, bytes);
        return true;
    };

    PackageWriter writer(options.level, options.checkValues);
    size_t failed = 0;
    std::string why;
    if (!ParallelPacker::run(writer, plan, units, one, options.jobs, &failed, &why)) {
        *error = utf16ToUtf8(inputs[failed].name) + ": " + why;
        return false;
    }
    *image = writer.finish();
    if (image->empty()) {
        *error = "the package's check values could not be computed";
        return false;
    }
    return true;
}
