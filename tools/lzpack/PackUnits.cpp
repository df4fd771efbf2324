// The plan of a package's units, packing one unit, and a unit's bytes for caches.
#include "PackUnits.h"

#include "PackageWriter.h"

#include <Blocks.h>
#include <LittleEndian.h>

#include <algorithm>
#include <cstring>
#include <numeric>

namespace {

// Formats that carry their own compression: a block of them would cost an LZMA pass for nothing.
const char16_t* const kCompressed[] = {
    u"7z",   u"bz2",  u"cab", u"flac", u"gif", u"gz",  u"jpeg", u"jpg", u"lz",   u"lzma", u"m4a",
    u"mkv",  u"mov",  u"mp3", u"mp4",  u"msi", u"ogg", u"opus", u"png", u"rar",  u"tgz",  u"webm",
    u"webp", u"woff", u"woff2", u"xz", u"zip", u"zst",
};

// A compressed file this large is a unit of its own: a block would gain little on it.
constexpr uint64_t kCompressedAloneBytes = 1u << 20;

// "OPU1" units (before blocks carried their digest) are refused, and packed anew.
constexpr char kUnitMagic[4] = {'O', 'P', 'U', '2'};

// What creating one file costs an installer, in bytes it could decode meanwhile: under Wine about
// 0.4 ms of its single server, while the decoders, sharing the cores with that server and the
// writers, decode LZMA at about 40 MB/s.
constexpr uint64_t kFileCostBytes = 16u << 10;

// An installer writes nothing of a block before the whole block is decoded: a block of thousands
// of small files would keep it waiting at the start, and then leave the decoders nothing to do
// while it creates them. Blocks close at this many files (at some cost in size: the first files
// of each block find less to refer to).
constexpr size_t kMostFilesPerBlock = 1024;

// Solid units in an order that keeps both the decoders and the file creation busy: the installer
// writes a unit's files while the decoders work on the units after it, so a run of units of few
// large files (all decoding) followed by a run of many small ones (all creating files) takes the
// sum of both where a mix takes the larger. Units with more files than bytes to decode, by the
// measure above, take turns with the others: one of few files comes next only when the files
// before it, counted by that measure, cover all the decoding up to and including it. Each kind
// keeps its own order (but for the first unit), so the blocks themselves do not change.
std::vector<PackUnit> interleaved(std::vector<PackUnit> units, const std::vector<PlanInput>& inputs)
{
    struct Sized {
        PackUnit unit;
        uint64_t bytes;
    };
    std::vector<Sized> many, few;   // many files for their bytes; few
    for (PackUnit& unit : units) {
        uint64_t bytes = 0;
        for (size_t member : unit.members)
            bytes += inputs[member].size;
        bool manyFiles = unit.members.size() * kFileCostBytes >= bytes;
        (manyFiles ? many : few).push_back({std::move(unit), bytes});
    }
    // The first unit is the quickest of its kind to decode: nothing is written before it is.
    if (!many.empty()) {
        auto quickest = std::min_element(many.begin(), many.end(),
                                         [](const Sized& a, const Sized& b) { return a.bytes < b.bytes; });
        std::rotate(many.begin(), quickest, quickest + 1);
    }
    std::vector<PackUnit> order;
    uint64_t creating = 0, decoding = 0;
    size_t m = 0, f = 0;
    while (m < many.size() || f < few.size()) {
        // a unit of few files only where the files before it give its decoding time to hide in
        bool takeMany = f == few.size() || (m < many.size() && decoding + few[f].bytes > creating);
        Sized& next = takeMany ? many[m++] : few[f++];
        creating += next.unit.members.size() * kFileCostBytes;
        decoding += next.bytes;
        order.push_back(std::move(next.unit));
    }
    return order;
}

void putBytes(std::vector<uint8_t>& out, const std::vector<uint8_t>& bytes)
{
    le::putU32(out, uint32_t(bytes.size()));
    out.insert(out.end(), bytes.begin(), bytes.end());
}

// Reads little-endian fields from a byte range, failing (and staying failed) past its end.
struct Cursor {
    const uint8_t* at;
    size_t left;
    bool ok = true;

    uint32_t u32()
    {
        if (!ok || left < 4) {
            ok = false;
            return 0;
        }
        uint32_t v = uint32_t(at[0]) | uint32_t(at[1]) << 8 | uint32_t(at[2]) << 16 | uint32_t(at[3]) << 24;
        at += 4;
        left -= 4;
        return v;
    }
    bool bytes(size_t count, uint8_t* out)
    {
        if (!ok || left < count)
            return ok = false;
        if (count)
            std::memcpy(out, at, count);
        at += count;
        left -= count;
        return true;
    }
    bool vector(std::vector<uint8_t>* out)
    {
        uint32_t count = u32();
        if (!ok || left < count)
            return ok = false;
        out->assign(at, at + count);
        at += count;
        left -= count;
        return true;
    }
};

bool packApart(const PackSettings& settings, const std::vector<std::u16string>& names,
               const std::vector<std::vector<uint8_t>>& data, PackedUnit* out, std::string* error)
{
    out->block.clear();
    out->files.clear();
    for (size_t i = 0; i < names.size(); ++i) {
        PackageWriter::Packed packed;
        if (!PackageWriter::pack(settings.level, data[i], &packed, error))
            return false;
        out->files.push_back(PackedFile{names[i], std::move(packed.bytes), packed.unpacked, packed.digest});
    }
    return true;
}

} // namespace

bool compressedAlready(const std::u16string& name)
{
    std::u16string extension = blocks::extensionOf(name);
    return std::find_if(std::begin(kCompressed), std::end(kCompressed),
                        [&](const char16_t* known) { return extension == known; }) != std::end(kCompressed);
}

std::vector<PackUnit> planUnits(const std::vector<PlanInput>& inputs, const PackSettings& settings)
{
    bool solid = settings.solidBytes > 0 && settings.level >= 0;
    std::vector<size_t> order(inputs.size());
    std::iota(order.begin(), order.end(), size_t(0));
    // stable: inputs of one name (which a caller should not give) keep their given order
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        return solid ? blocks::before(inputs[a].name, inputs[b].name) : inputs[a].name < inputs[b].name;
    });

    auto aloneAt = [&](const PlanInput& input) {
        return !solid || input.size == 0 || input.size >= settings.solidBytes ||
               (compressedAlready(input.name) && input.size >= kCompressedAloneBytes);
    };
    std::vector<std::u16string> kindAt(order.size());
    for (size_t at = 0; solid && at < order.size(); ++at)
        kindAt[at] = blocks::extensionOf(inputs[order[at]].name);
    // From each place in the order, the bytes of the files of its kind still to come that go into
    // blocks: the tail a block would leave if it closed there.
    std::vector<uint64_t> kindRest(order.size());
    for (size_t at = order.size(); at-- > 0;) {
        const PlanInput& input = inputs[order[at]];
        bool sameKind = at + 1 < order.size() && kindAt[at + 1] == kindAt[at];
        kindRest[at] = (sameKind ? kindRest[at + 1] : 0) + (aloneAt(input) ? 0 : input.size);
    }

    std::vector<PackUnit> units;
    PackUnit open;   // the block being filled
    uint64_t openBytes = 0;
    auto close = [&] {
        if (!open.members.empty())
            units.push_back(std::move(open));
        open = PackUnit();
        openBytes = 0;
    };
    for (size_t at = 0; at < order.size(); ++at) {
        size_t index = order[at];
        const PlanInput& input = inputs[index];
        // A small compressed file still joins a block: its duplicates and the headers it shares
        // with its kind cost little there, where on its own it would be stored whole.
        if (aloneAt(input)) {
            close();
            units.push_back(PackUnit{{index}});
            continue;
        }
        // The last files of a kind would make a short block without their kin to refer to: when
        // they come to no more than a quarter of a block, the block of their kind takes them.
        // (A file alone closed the block before it: an open block's last file is the one before.)
        bool kinTail = !open.members.empty() && kindAt[at - 1] == kindAt[at] && kindRest[at] <= settings.solidBytes / 4;
        if ((openBytes + input.size > settings.solidBytes && !kinTail) || open.members.size() == kMostFilesPerBlock)
            close();
        open.members.push_back(index);
        openBytes += input.size;
    }
    close();
    return solid ? interleaved(std::move(units), inputs) : units;
}

bool packUnit(const PackSettings& settings, const std::vector<std::u16string>& names,
              const std::vector<std::vector<uint8_t>>& data, PackedUnit* out, std::string* error)
{
    if (names.size() != data.size()) {
        *error = "a unit needs as many names as files";
        return false;
    }
    // A block only for two files or more, none empty (an unpacked size of 0 marks stored data),
    // together within what a block can say.
    uint64_t total = 0;
    bool blockable = settings.level >= 0 && data.size() >= 2;
    for (const std::vector<uint8_t>& file : data) {
        total += file.size();
        blockable = blockable && !file.empty();
    }
    if (!blockable || total > 0x7FFFFFFFu)
        return packApart(settings, names, data, out, error);

    std::vector<uint8_t> joined;
    joined.reserve(size_t(total));
    for (const std::vector<uint8_t>& file : data)
        joined.insert(joined.end(), file.begin(), file.end());
    std::vector<uint8_t> block;
    if (!PackageWriter::encode(settings.level, joined.data(), joined.size(), &block, error))
        return false;
    // the block did not come out smaller than the files as they are: each is packed on its own
    if (block.empty())
        return packApart(settings, names, data, out, error);

    if (!sha256::digest(joined.data(), joined.size(), &out->blockDigest)) {
        *error = "SHA-256 is not available";
        return false;
    }
    out->block = std::move(block);
    out->files.clear();
    for (size_t i = 0; i < names.size(); ++i) {
        PackedFile file;
        file.name = names[i];
        file.unpacked = uint32_t(data[i].size());
        if (!sha256::digest(data[i].data(), data[i].size(), &file.digest)) {
            *error = "SHA-256 is not available";
            return false;
        }
        out->files.push_back(std::move(file));
    }
    return true;
}

// "OPU2", the block (length and bytes; then its digest when there is one), the file count, then
// per file: name length in units, the name (UTF-16LE), unpacked size, digest, its own bytes
// (length and bytes).
bool serialise(const PackedUnit& unit, std::vector<uint8_t>* out)
{
    out->assign(kUnitMagic, kUnitMagic + 4);
    putBytes(*out, unit.block);
    if (!unit.block.empty())
        out->insert(out->end(), unit.blockDigest.begin(), unit.blockDigest.end());
    le::putU32(*out, uint32_t(unit.files.size()));
    for (const PackedFile& file : unit.files) {
        le::putU32(*out, uint32_t(file.name.size()));
        for (char16_t c : file.name) {
            out->push_back(uint8_t(c));
            out->push_back(uint8_t(c >> 8));
        }
        le::putU32(*out, file.unpacked);
        out->insert(out->end(), file.digest.begin(), file.digest.end());
        putBytes(*out, file.bytes);
    }
    return true;
}

bool deserialise(const uint8_t* data, size_t size, PackedUnit* out)
{
    *out = PackedUnit();
    if (!data || size < 4 || std::memcmp(data, kUnitMagic, 4) != 0)
        return false;
    Cursor in{data + 4, size - 4};
    PackedUnit unit;
    in.vector(&unit.block);
    if (!unit.block.empty())
        in.bytes(unit.blockDigest.size(), unit.blockDigest.data());
    uint32_t count = in.u32();
    if (!in.ok || count > in.left / 44)   // each file takes at least 44 bytes
        return false;
    uint64_t total = 0;
    for (uint32_t i = 0; i < count && in.ok; ++i) {
        PackedFile file;
        uint32_t units = in.u32();
        if (!in.ok || units == 0 || units > in.left / 2)
            return false;
        for (uint32_t u = 0; u < units; ++u) {
            uint8_t pair[2];
            in.bytes(2, pair);
            file.name.push_back(char16_t(pair[0] | pair[1] << 8));
        }
        file.unpacked = in.u32();
        in.bytes(file.digest.size(), file.digest.data());
        in.vector(&file.bytes);
        // in a block every file is a member without bytes of its own; apart, a packed file has bytes
        if (!unit.block.empty() ? (file.unpacked == 0 || !file.bytes.empty())
                                : (file.unpacked != 0 && file.bytes.size() < 5))
            return false;
        total += file.unpacked;
        unit.files.push_back(std::move(file));
    }
    if (!in.ok || in.left != 0 || (!unit.block.empty() && (unit.files.size() < 2 || total > 0xFFFFFFFFu)))
        return false;
    *out = std::move(unit);
    return true;
}
