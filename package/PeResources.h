// Adds and replaces resources of a finished 64-bit Windows executable without a linker or a
// resource compiler: the publisher's tool writes its installers this way.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// A resource type or name: a number, or (when `text` is not empty) a string, kept in upper case
// as the loader looks strings up in upper case.
struct ResourceKey {
    uint16_t id = 0;
    std::u16string text;

    static ResourceKey number(uint16_t id) { return {id, {}}; }
    static ResourceKey string(const std::u16string& text);
    bool operator==(const ResourceKey& other) const { return id == other.id && text == other.text; }
    bool operator<(const ResourceKey& other) const;   // the directory's order: strings first, then numbers
};

struct Resource {
    ResourceKey type, name;
    uint16_t language = 0;
    std::vector<uint8_t> data;
};

class PeImage {
public:
    // Which resources parse keeps, by type and name; the others are left out (their bytes never
    // copied), as if removed.
    using Keep = std::function<bool(const ResourceKey& type, const ResourceKey& name)>;

    // Reads a PE32+ executable and its resource tree. False with a reason for anything else, or a
    // resource tree that points outside the file.
    static bool parse(std::vector<uint8_t> file, PeImage* out, std::string* error, const Keep& keep = {});
    // The same over `length` bytes at `data` that stay where they are for as long as `keeper` (or
    // the caller) keeps them: a large executable mapped, not copied.
    static bool parse(const uint8_t* data, size_t length, std::shared_ptr<const void> keeper, PeImage* out,
                      std::string* error, const Keep& keep = {});

    const std::vector<Resource>& resources() const { return resources_; }
    // The language most of the executable's own resources use (US English when it has none), for
    // the resources added to it.
    uint16_t commonLanguage() const;
    // Replaces every resource of the same type and name (in any language) with `resource`, or
    // adds it.
    void setResource(Resource resource);
    // Removes every resource `drop` is true for.
    void removeResources(const std::function<bool(const Resource&)>& drop);

    // The executable with its resource section written anew: the sections after it moved up (when
    // they are only relocations or debugging information; otherwise the new section is appended
    // and the old one left unused), the data directories, the size of the image and the checksum
    // made to match, any certificate table dropped, and the link time set to `timestamp`.
    bool write(uint32_t timestamp, std::vector<uint8_t>* out, std::string* error) const;

private:
    struct Section {
        char name[8];
        uint32_t virtualSize, virtualAddress, rawSize, rawOffset;
        uint32_t header;   // offset of its header in the file
    };
    std::shared_ptr<const void> keeper_;
    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
    uint32_t pe_ = 0, optional_ = 0, optionalSize_ = 0;
    std::vector<Section> sections_;
    int resourceSection_ = -1;   // the section the resource directory starts at the beginning of
    std::vector<Resource> resources_;
};

// The type of the installer's named resources (package/NamedResources.h), as the loader keeps it.
ResourceKey namedResourceType();
// Sets named resource `id` of that type, in the language it has or the executable's own.
void setNamedResource(PeImage& image, uint16_t id, std::vector<uint8_t> data);

// The PE checksum of a whole file whose checksum field lies at `checksumOffset`.
uint32_t peChecksum(const std::vector<uint8_t>& file, size_t checksumOffset);
