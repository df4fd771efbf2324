// The PE resource writer: parse the section table and the resource tree, lay out a new tree.
#include "PeResources.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>

namespace {

constexpr uint32_t kDirectoryResources = 2, kDirectoryCertificates = 4;
// Deeper trees than type/name/language do not occur; a hostile one must not recurse for ever.
constexpr int kLevels = 3;

// An executable's bytes, owned by whoever made the PeImage keep them alive.
struct Bytes {
    const uint8_t* data;
    size_t length;
    size_t size() const { return length; }
    uint8_t operator[](size_t at) const { return data[at]; }
    const uint8_t* begin() const { return data; }
};

template <typename B>
uint16_t get16(const B& b, size_t at)
{
    return uint16_t(b[at] | b[at + 1] << 8);
}
template <typename B>
uint32_t get32(const B& b, size_t at)
{
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}
void put16(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}
void put32(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = uint8_t(v >> (8 * i));
}
uint32_t alignUp(uint64_t v, uint32_t a) { return uint32_t((v + a - 1) / a * a); }

char16_t upper(char16_t c) { return c >= u'a' && c <= u'z' ? char16_t(c - 32) : c; }

bool movable(const char* name)
{
    return std::strncmp(name, ".reloc", 8) == 0 || name[0] == '/' || std::strncmp(name, ".debug", 6) == 0;
}

} // namespace

ResourceKey ResourceKey::string(const std::u16string& text)
{
    ResourceKey key;
    for (char16_t c : text)
        key.text += upper(c);
    return key;
}

bool ResourceKey::operator<(const ResourceKey& other) const
{
    bool named = !text.empty(), otherNamed = !other.text.empty();
    if (named != otherNamed)
        return named;
    return named ? text < other.text : id < other.id;
}

uint32_t peChecksum(const std::vector<uint8_t>& file, size_t checksumOffset)
{
    uint64_t sum = 0;
    size_t even = file.size() & ~size_t(1);
    for (size_t i = 0; i < even; i += 2) {
        if (i == checksumOffset || i == checksumOffset + 2)
            continue;
        sum += get16(file, i);
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    if (file.size() & 1) {
        sum += file.back();
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    sum = (sum & 0xFFFF) + (sum >> 16);
    return uint32_t(sum + file.size());
}

bool PeImage::parse(std::vector<uint8_t> file, PeImage* out, std::string* error, const Keep& keep)
{
    auto owned = std::make_shared<const std::vector<uint8_t>>(std::move(file));
    return parse(owned->data(), owned->size(), owned, out, error, keep);
}

bool PeImage::parse(const uint8_t* data, size_t length, std::shared_ptr<const void> keeper, PeImage* out,
                    std::string* error, const Keep& keep)
{
    const Bytes file{data, length};
    PeImage image;
    auto fits = [&](uint64_t at, uint64_t size) { return at + size <= file.size(); };
    if (!fits(0, 64) || file[0] != 'M' || file[1] != 'Z') {
        *error = "not an executable (no MZ header)";
        return false;
    }
    image.pe_ = get32(file, 0x3C);
    image.optional_ = image.pe_ + 24;
    if (!fits(image.pe_, 24 + 112) || std::memcmp(data + image.pe_, "PE\0\0", 4) != 0 ||
        get16(file, image.optional_) != 0x20B) {
        *error = "not a 64-bit PE executable";
        return false;
    }
    image.optionalSize_ = get16(file, image.pe_ + 20);
    uint32_t directories = get32(file, image.optional_ + 108);
    if (image.optionalSize_ < 112 + 16 * 8 || directories < 16) {
        *error = "the optional header has too few data directories";
        return false;
    }
    unsigned count = get16(file, image.pe_ + 6);
    uint32_t table = image.optional_ + image.optionalSize_;
    if (!fits(table, uint64_t(count) * 40)) {
        *error = "the section table is cut short";
        return false;
    }
    for (unsigned s = 0; s < count; ++s) {
        Section section;
        uint32_t at = table + s * 40;
        std::memcpy(section.name, data + at, 8);
        section.virtualSize = get32(file, at + 8);
        section.virtualAddress = get32(file, at + 12);
        section.rawSize = get32(file, at + 16);
        section.rawOffset = get32(file, at + 20);
        section.header = at;
        if (section.rawSize && !fits(section.rawOffset, section.rawSize)) {
            *error = "a section lies outside the file";
            return false;
        }
        image.sections_.push_back(section);
    }

    uint32_t rva = get32(file, image.optional_ + 112 + kDirectoryResources * 8);
    uint32_t size = get32(file, image.optional_ + 112 + kDirectoryResources * 8 + 4);
    if (rva && size) {
        // the file offset of an address, within one section's raw data
        auto offsetOf = [&](uint32_t address, uint32_t length, uint32_t* offset) {
            for (const Section& s : image.sections_)
                if (address >= s.virtualAddress && uint64_t(address) + length <= uint64_t(s.virtualAddress) + s.rawSize) {
                    *offset = s.rawOffset + (address - s.virtualAddress);
                    return true;
                }
            return false;
        };
        for (size_t s = 0; s < image.sections_.size(); ++s)
            if (image.sections_[s].virtualAddress == rva)
                image.resourceSection_ = int(s);
        uint32_t base = 0;
        if (!offsetOf(rva, 16, &base)) {
            *error = "the resource directory lies outside the file";
            return false;
        }
        uint64_t limit = uint64_t(base) + size;
        // walk: type, name, language; each leaf is a data entry
        bool ok = true;
        std::vector<ResourceKey> path(kLevels);
        auto keyAt = [&](uint32_t raw, ResourceKey* key) {
            if (!(raw & 0x80000000u)) {
                *key = ResourceKey::number(uint16_t(raw));
                return true;
            }
            uint64_t at = base + uint64_t(raw & 0x7FFFFFFF);
            if (at + 2 > limit)
                return false;
            uint16_t length = get16(file, size_t(at));
            if (at + 2 + 2ull * length > limit)
                return false;
            key->id = 0;
            key->text.clear();
            for (uint16_t i = 0; i < length; ++i)
                key->text += char16_t(get16(file, size_t(at + 2 + 2 * i)));
            return true;
        };
        std::function<void(uint32_t, int)> walk = [&](uint32_t offset, int level) {
            uint64_t at = base + uint64_t(offset);
            if (!ok || level >= kLevels || at + 16 > limit) {
                ok = false;
                return;
            }
            unsigned entries = get16(file, size_t(at + 12)) + get16(file, size_t(at + 14));
            if (at + 16 + 8ull * entries > limit) {
                ok = false;
                return;
            }
            for (unsigned e = 0; e < entries && ok; ++e) {
                uint32_t nameField = get32(file, size_t(at + 16 + 8 * e)), target = get32(file, size_t(at + 20 + 8 * e));
                if (!keyAt(nameField, &path[level])) {
                    ok = false;
                    return;
                }
                if (target & 0x80000000u) {
                    walk(target & 0x7FFFFFFF, level + 1);
                    continue;
                }
                uint64_t entry = base + uint64_t(target);
                uint32_t dataOffset = 0;
                if (level != kLevels - 1 || entry + 16 > limit) {
                    ok = false;
                    return;
                }
                uint32_t dataRva = get32(file, size_t(entry)), dataSize = get32(file, size_t(entry + 4));
                if (!offsetOf(dataRva, dataSize, &dataOffset)) {
                    ok = false;
                    return;
                }
                if (keep && !keep(path[0], path[1]))
                    continue;
                Resource resource;
                resource.type = path[0];
                resource.name = path[1];
                resource.language = path[2].id;
                resource.data.assign(file.begin() + dataOffset, file.begin() + dataOffset + dataSize);
                image.resources_.push_back(std::move(resource));
            }
        };
        walk(0, 0);
        if (!ok) {
            *error = "the resource directory is malformed";
            return false;
        }
    }
    image.keeper_ = std::move(keeper);
    image.data_ = data;
    image.size_ = length;
    *out = std::move(image);
    return true;
}

uint16_t PeImage::commonLanguage() const
{
    std::map<uint16_t, int> seen;
    for (const Resource& r : resources_)
        ++seen[r.language];
    uint16_t best = 0x409;
    int most = 0;
    for (const auto& [language, count] : seen)
        if (count > most) {
            best = language;
            most = count;
        }
    return best;
}

ResourceKey namedResourceType()
{
    return ResourceKey::string(u"_OrvoResc");
}

void setNamedResource(PeImage& image, uint16_t id, std::vector<uint8_t> data)
{
    Resource r;
    r.type = namedResourceType();
    r.name = ResourceKey::number(id);
    r.language = image.commonLanguage();
    for (const Resource& old : image.resources())
        if (old.type == r.type && old.name == r.name)
            r.language = old.language;
    r.data = std::move(data);
    image.setResource(std::move(r));
}

void PeImage::removeResources(const std::function<bool(const Resource&)>& drop)
{
    resources_.erase(std::remove_if(resources_.begin(), resources_.end(), drop), resources_.end());
}

void PeImage::setResource(Resource resource)
{
    resources_.erase(std::remove_if(resources_.begin(), resources_.end(),
                                    [&](const Resource& r) { return r.type == resource.type && r.name == resource.name; }),
                     resources_.end());
    resources_.push_back(std::move(resource));
}

namespace {

// The resource section's bytes for a section at `address`: every directory first (root, types,
// names), then the strings, the data entries and the data, each datum 8-byte aligned. Directory
// time stamps stay 0 so that the same resources always give the same bytes.
std::vector<uint8_t> layoutResources(const std::vector<Resource>& resources, uint32_t address)
{
    using Languages = std::map<uint16_t, const Resource*>;
    using Names = std::map<ResourceKey, Languages>;
    std::map<ResourceKey, Names> tree;
    for (const Resource& r : resources)
        tree[r.type][r.name][r.language] = &r;

    auto directorySize = [](size_t entries) { return 16 + 8 * entries; };
    // sizes first
    size_t directories = directorySize(tree.size()), leaves = 0;
    std::vector<const ResourceKey*> strings;
    for (const auto& [type, names] : tree) {
        directories += directorySize(names.size());
        if (!type.text.empty())
            strings.push_back(&type);
        for (const auto& [name, languages] : names) {
            directories += directorySize(languages.size());
            leaves += languages.size();
            if (!name.text.empty())
                strings.push_back(&name);
        }
    }
    std::map<const ResourceKey*, uint32_t> stringAt;
    size_t at = directories;
    for (const ResourceKey* key : strings) {
        stringAt[key] = uint32_t(at);
        at += 2 + 2 * key->text.size();
    }
    at = alignUp(at, 8);
    size_t entries = at;
    size_t data = alignUp(entries + 16 * leaves, 8);
    size_t total = data;
    for (const Resource& r : resources)
        total = alignUp(total + r.data.size(), 8);
    std::vector<uint8_t> out(total, 0);

    for (const ResourceKey* key : strings) {
        size_t s = stringAt[key];
        put16(out, s, uint32_t(key->text.size()));
        for (size_t i = 0; i < key->text.size(); ++i)
            put16(out, s + 2 + 2 * i, key->text[i]);
    }
    auto writeDirectory = [&](size_t offset, size_t named, size_t numbered) {
        put16(out, offset + 12, uint32_t(named));
        put16(out, offset + 14, uint32_t(numbered));
    };
    auto keyField = [&](const ResourceKey& key) {
        return key.text.empty() ? uint32_t(key.id) : (0x80000000u | stringAt[&key]);
    };
    auto countNamed = [](const auto& map) {
        size_t n = 0;
        for (const auto& item : map)
            n += !item.first.text.empty();
        return n;
    };

    // the root, then each type's directory, then each name's, in order
    size_t next = directorySize(tree.size());
    writeDirectory(0, countNamed(tree), tree.size() - countNamed(tree));
    size_t leaf = 0, datum = data, slot = 0;
    std::vector<std::pair<size_t, const Names*>> typeDirectories;
    for (const auto& [type, names] : tree) {
        put32(out, 16 + 8 * slot, keyField(type));
        put32(out, 20 + 8 * slot, 0x80000000u | uint32_t(next));
        typeDirectories.push_back({next, &names});
        next += directorySize(names.size());
        ++slot;
    }
    for (const auto& [offset, names] : typeDirectories) {
        writeDirectory(offset, countNamed(*names), names->size() - countNamed(*names));
        size_t n = 0;
        for (const auto& [name, languages] : *names) {
            put32(out, offset + 16 + 8 * n, keyField(name));
            put32(out, offset + 20 + 8 * n, 0x80000000u | uint32_t(next));
            writeDirectory(next, 0, languages.size());
            size_t l = 0;
            for (const auto& [language, resource] : languages) {
                size_t entry = entries + 16 * leaf++;
                put32(out, next + 16 + 8 * l, language);
                put32(out, next + 20 + 8 * l, uint32_t(entry));
                put32(out, entry, uint32_t(address + datum));
                put32(out, entry + 4, uint32_t(resource->data.size()));
                std::copy(resource->data.begin(), resource->data.end(), out.begin() + datum);
                datum = alignUp(datum + resource->data.size(), 8);
                ++l;
            }
            next += directorySize(languages.size());
            ++n;
        }
    }
    return out;
}

} // namespace

bool PeImage::write(uint32_t timestamp, std::vector<uint8_t>* result, std::string* error) const
{
    const Bytes in{data_, size_};
    uint32_t sectionAlign = get32(in, optional_ + 32), fileAlign = get32(in, optional_ + 36);
    uint32_t headersSize = get32(in, optional_ + 60);
    if (!sectionAlign || !fileAlign) {
        *error = "the executable has no section or file alignment";
        return false;
    }

    // where the new section goes: over the old one when only movable sections follow it
    size_t first = sections_.size();
    bool inPlace = resourceSection_ >= 0;
    for (size_t s = resourceSection_ + 1; inPlace && s < sections_.size(); ++s)
        inPlace = movable(sections_[s].name);
    // ...and every section before it lies before it, in the file and in memory
    for (int s = 0; inPlace && s < resourceSection_; ++s)
        inPlace = sections_[s].rawOffset + sections_[s].rawSize <= sections_[resourceSection_].rawOffset &&
                  sections_[s].virtualAddress < sections_[resourceSection_].virtualAddress;
    std::vector<Section> layout(sections_.begin(), sections_.end());
    Section added{};
    if (inPlace) {
        first = size_t(resourceSection_);
    } else {
        std::memcpy(added.name, ".rsrc\0\0\0", 8);
        added.header = uint32_t(optional_ + optionalSize_ + 40 * sections_.size());
        uint32_t firstRaw = UINT32_MAX;
        for (const Section& s : sections_)
            if (s.rawSize)
                firstRaw = std::min(firstRaw, s.rawOffset);
        if (added.header + 40 > std::min(headersSize, firstRaw)) {
            *error = "the executable's headers have no room for another section";
            return false;
        }
        layout.push_back(added);
        first = layout.size() - 1;
    }

    // the file up to the first section that changes
    uint32_t rawEnd = 0, virtualEnd = 0;
    for (size_t s = 0; s < first; ++s) {
        rawEnd = std::max(rawEnd, layout[s].rawOffset + layout[s].rawSize);
        virtualEnd = std::max(virtualEnd, alignUp(uint64_t(layout[s].virtualAddress) + std::max(layout[s].virtualSize, layout[s].rawSize), sectionAlign));
    }
    if (inPlace) {
        rawEnd = layout[first].rawOffset;
        virtualEnd = layout[first].virtualAddress;
    }
    rawEnd = alignUp(std::max(rawEnd, headersSize), fileAlign);
    std::vector<uint8_t> out(in.begin(), in.begin() + std::min<size_t>(rawEnd, in.size()));
    out.resize(rawEnd, 0);

    // the new resource section, then the sections that followed the old one
    std::vector<uint8_t> tree = layoutResources(resources_, virtualEnd);
    Section& rsrc = layout[first];
    rsrc.virtualAddress = virtualEnd;
    uint32_t treeSize = uint32_t(tree.size());
    rsrc.virtualSize = treeSize;
    rsrc.rawOffset = rawEnd;
    rsrc.rawSize = alignUp(tree.size(), fileAlign);
    tree.resize(rsrc.rawSize, 0);
    out.insert(out.end(), tree.begin(), tree.end());
    std::vector<std::pair<const Section*, const Section*>> moved;   // old, new
    uint32_t nextVirtual = alignUp(uint64_t(rsrc.virtualAddress) + rsrc.virtualSize, sectionAlign);
    for (size_t s = first + 1; s < layout.size(); ++s) {
        Section& section = layout[s];
        const Section& old = sections_[s];
        section.virtualAddress = nextVirtual;
        nextVirtual = alignUp(uint64_t(nextVirtual) + std::max(section.virtualSize, section.rawSize), sectionAlign);
        if (section.rawSize) {
            section.rawOffset = uint32_t(out.size());
            out.insert(out.end(), in.begin() + old.rawOffset, in.begin() + old.rawOffset + old.rawSize);
            out.resize(alignUp(out.size(), fileAlign), 0);
        }
        moved.push_back({&old, &section});
    }

    // the symbol and string tables of a file with debugging information follow every section
    uint32_t symbols = get32(in, pe_ + 12), symbolCount = get32(in, pe_ + 16);
    if (symbols) {
        uint64_t strings = uint64_t(symbols) + uint64_t(symbolCount) * 18;
        if (strings + 4 > in.size() || strings + get32(in, size_t(strings)) > in.size()) {
            *error = "the symbol table is cut short";
            return false;
        }
        uint64_t end = strings + get32(in, size_t(strings));
        put32(out, pe_ + 12, uint32_t(out.size()));
        out.insert(out.end(), in.begin() + symbols, in.begin() + end);
    }

    // headers: section table, data directories, sizes, time, checksum
    if (!inPlace)
        put16(out, pe_ + 6, uint32_t(layout.size()));
    for (const Section& s : layout) {
        std::memcpy(&out[s.header], s.name, 8);
        put32(out, s.header + 8, s.virtualSize);
        put32(out, s.header + 12, s.virtualAddress);
        put32(out, s.header + 16, s.rawSize);
        put32(out, s.header + 20, s.rawSize ? s.rawOffset : 0);
    }
    if (!inPlace) {
        for (int i = 24; i < 36; ++i)
            out[added.header + i] = 0;
        put32(out, added.header + 36, 0x40000040u);   // initialised data, readable
    }
    for (uint32_t d = 0; d < 16; ++d) {
        size_t at = optional_ + 112 + d * 8;
        uint32_t address = get32(out, at);
        if (d == kDirectoryResources) {
            put32(out, at, rsrc.virtualAddress);
            put32(out, at + 4, treeSize);
        } else if (d == kDirectoryCertificates) {
            put32(out, at, 0);
            put32(out, at + 4, 0);
        } else {
            for (const auto& [old, now] : moved)
                if (address >= old->virtualAddress && address < old->virtualAddress + std::max(old->virtualSize, old->rawSize))
                    put32(out, at, address - old->virtualAddress + now->virtualAddress);
        }
    }
    put32(out, optional_ + 56, nextVirtual);
    put32(out, pe_ + 8, timestamp);
    put32(out, optional_ + 64, 0);
    put32(out, optional_ + 64, peChecksum(out, optional_ + 64));
    *result = std::move(out);
    return true;
}
