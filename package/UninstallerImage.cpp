// The uninstaller written from the installer's stub, and the recipe that makes it exact.
#include "UninstallerImage.h"

#include "LittleEndian.h"
#include "NamedResources.h"
#include "Sha256.h"

#include <algorithm>
#include <cstring>

namespace uninstaller {

namespace {

constexpr char kMagic[8] = {'O', 'R', 'V', 'O', 'U', 'N', 'I', '1'};
// Signing changes a few header fields and appends a certificate table; nothing near this.
constexpr uint32_t kMostPatches = 4096;
// Runs of changed bytes closer than this are one patch: fewer records, no fewer bytes checked.
constexpr size_t kJoinGap = 8;

// Reads little-endian values and byte runs off the front of a buffer; any read past its end
// fails every later one.
class Reader {
public:
    Reader(const uint8_t* data, size_t size) : at_(data), left_(size) {}
    bool ok() const { return ok_; }
    size_t left() const { return left_; }
    const uint8_t* take(size_t n)
    {
        if (!ok_ || n > left_) {
            ok_ = false;
            return nullptr;
        }
        const uint8_t* p = at_;
        at_ += n;
        left_ -= n;
        return p;
    }
    uint32_t u32()
    {
        const uint8_t* p = take(4);
        return p ? le::readU32(p) : 0;
    }
    uint64_t u64()
    {
        const uint8_t* p = take(8);
        return p ? le::readU64(p) : 0;
    }

private:
    const uint8_t* at_;
    size_t left_;
    bool ok_ = true;
};

bool isNamed(const ResourceKey& type) { return type == namedResourceType(); }

bool keptName(const ResourceKey& name)
{
    return name.text.empty() && (name.id == ORVO_ID_FRAME_PACKAGE || name.id == ORVO_ID_STYLE_PACKAGE);
}

} // namespace

std::vector<uint8_t> serialise(const Recipe& recipe)
{
    std::vector<uint8_t> out(kMagic, kMagic + sizeof kMagic);
    le::putU32(out, recipe.timestamp);
    le::putU32(out, uint32_t(recipe.script.size()));
    le::putU64(out, recipe.size);
    out.insert(out.end(), recipe.digest.begin(), recipe.digest.end());
    out.insert(out.end(), recipe.script.begin(), recipe.script.end());
    le::putU32(out, uint32_t(recipe.patches.size()));
    for (const Recipe::Patch& patch : recipe.patches) {
        le::putU32(out, patch.offset);
        le::putU32(out, uint32_t(patch.bytes.size()));
        out.insert(out.end(), patch.bytes.begin(), patch.bytes.end());
    }
    out.insert(out.end(), recipe.tail.begin(), recipe.tail.end());
    return out;
}

bool parse(const uint8_t* data, size_t size, Recipe* out, std::string* error)
{
    Reader in(data, size);
    Recipe recipe;
    const uint8_t* magic = in.take(sizeof kMagic);
    if (!magic || std::memcmp(magic, kMagic, sizeof kMagic) != 0) {
        *error = "the uninstaller's recipe is not one";
        return false;
    }
    recipe.timestamp = in.u32();
    uint32_t scriptSize = in.u32();
    recipe.size = in.u64();
    const uint8_t* digest = in.take(recipe.digest.size());
    const uint8_t* script = in.take(scriptSize);
    uint32_t count = in.u32();
    if (!in.ok() || count > kMostPatches) {
        *error = "the uninstaller's recipe is cut short";
        return false;
    }
    std::memcpy(recipe.digest.data(), digest, recipe.digest.size());
    recipe.script.assign(script, script + scriptSize);
    uint64_t patchedEnd = 0;
    for (uint32_t i = 0; i < count; ++i) {
        Recipe::Patch patch;
        patch.offset = in.u32();
        uint32_t length = in.u32();
        const uint8_t* bytes = in.take(length);
        if (!bytes || length == 0) {
            *error = "the uninstaller's recipe has a bad patch";
            return false;
        }
        patch.bytes.assign(bytes, bytes + length);
        patchedEnd = std::max(patchedEnd, uint64_t(patch.offset) + length);
        recipe.patches.push_back(std::move(patch));
    }
    size_t rest = in.left();
    const uint8_t* tail = in.take(rest);
    recipe.tail.assign(tail, tail + rest);
    if (recipe.tail.size() > recipe.size || patchedEnd > recipe.size) {
        *error = "the uninstaller's recipe has a bad patch";
        return false;
    }
    *out = std::move(recipe);
    return true;
}

bool parseForImage(const uint8_t* data, size_t size, PeImage* out, std::string* error)
{
    return PeImage::parse(data, size, nullptr, out, error,
                          [](const ResourceKey& type, const ResourceKey& name) { return !isNamed(type) || keptName(name); });
}

bool writeImage(PeImage image, const std::vector<uint8_t>& script, uint32_t timestamp, std::vector<uint8_t>* out,
                std::string* error)
{
    bool frame = false, style = false;
    for (const Resource& r : image.resources()) {
        frame = frame || (isNamed(r.type) && r.name == ResourceKey::number(ORVO_ID_FRAME_PACKAGE));
        style = style || (isNamed(r.type) && r.name == ResourceKey::number(ORVO_ID_STYLE_PACKAGE));
    }
    if (!frame || !style) {
        *error = "the executable carries no markup or no style package";
        return false;
    }
    image.removeResources([](const Resource& r) { return isNamed(r.type) && !keptName(r.name); });
    setNamedResource(image, ORVO_ID_UNINSTALL_SCRIPT, script);
    return image.write(timestamp, out, error);
}

bool describe(uint32_t timestamp, const std::vector<uint8_t>& script, const std::vector<uint8_t>& written,
              const std::vector<uint8_t>& finished, Recipe* out, std::string* error)
{
    Recipe recipe;
    recipe.timestamp = timestamp;
    recipe.script = script;
    recipe.size = finished.size();
    if (!sha256::digest(finished.data(), finished.size(), &recipe.digest)) {
        *error = "SHA-256 is not available";
        return false;
    }
    size_t common = std::min(written.size(), finished.size());
    for (size_t at = 0; at < common;) {
        if (written[at] == finished[at]) {
            ++at;
            continue;
        }
        size_t end = at + 1, same = 0;
        for (size_t k = at + 1; k < common && same < kJoinGap; ++k) {
            if (written[k] == finished[k]) {
                ++same;
            } else {
                same = 0;
                end = k + 1;
            }
        }
        recipe.patches.push_back({uint32_t(at), std::vector<uint8_t>(finished.begin() + at, finished.begin() + end)});
        at = end;
    }
    recipe.tail.assign(finished.begin() + common, finished.end());
    if (recipe.patches.size() > kMostPatches || finished.size() > UINT32_MAX) {
        *error = "the signed uninstaller differs from the written one in too many places";
        return false;
    }
    *out = std::move(recipe);
    return true;
}

bool finish(const uint8_t* installer, size_t size, const Recipe& recipe, std::vector<uint8_t>* out,
            std::string* error)
{
    PeImage image;
    std::vector<uint8_t> written;
    if (!parseForImage(installer, size, &image, error) ||
        !writeImage(std::move(image), recipe.script, recipe.timestamp, &written, error))
        return false;
    // the tail replaces whatever follows the written image's first size - tail bytes
    uint64_t keep = recipe.size - recipe.tail.size();
    if (keep > written.size()) {
        *error = "the uninstaller does not come out as the build made it";
        return false;
    }
    written.resize(size_t(keep));
    written.insert(written.end(), recipe.tail.begin(), recipe.tail.end());
    for (const Recipe::Patch& patch : recipe.patches)
        std::copy(patch.bytes.begin(), patch.bytes.end(), written.begin() + patch.offset);
    sha256::Digest digest;
    if (!sha256::digest(written.data(), written.size(), &digest)) {
        *error = "SHA-256 is not available";
        return false;
    }
    if (digest != recipe.digest) {
        *error = "the uninstaller does not come out as the build made it";
        return false;
    }
    *out = std::move(written);
    return true;
}

} // namespace uninstaller
