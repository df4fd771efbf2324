// File systems over the executable's resources and over a folder.
#include "FileSystem.h"

#include "NamedResources.h"
#include "PackedScript.h"

#include <platform/Handle.h>

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>

namespace {

FileSystem* current = nullptr;

constexpr wchar_t kResourceType[] = ORVO_WIDE_NAME(ORVO_RESOURCE_TYPE);

// A copy of `size` bytes followed by the 4 zero bytes every file-system buffer carries.
void* allocateWithTerminator(uint64_t size)
{
    if (size > SIZE_MAX - 4)
        return nullptr;
    auto buffer = static_cast<uint8_t*>(std::malloc(size_t(size) + 4));
    if (buffer)
        std::memset(buffer + size, 0, 4);
    return buffer;
}

// A script the build stored packed (PackedScript.h) is served as its text; a damaged one is not
// served at all, which its reader reports as a script it cannot read. Only names of scripts are
// looked at: a package may begin with any bytes.
void* asServed(const wchar_t* name, void* buffer, uint64_t* size)
{
    size_t length = name ? std::wcslen(name) : 0;
    bool script = length >= 4 && _wcsicmp(name + length - 4, L".lua") == 0;
    auto bytes = static_cast<const uint8_t*>(buffer);
    if (!buffer || !script || !packedscript::isPacked(bytes, size_t(*size)))
        return buffer;
    uint64_t unpacked = 0;
    std::string why;
    uint8_t* text = packedscript::unpack(bytes, size_t(*size), &unpacked, &why);
    std::free(buffer);
    if (!text) {
        std::string line = "FileSystem: " + why + "\n";
        OutputDebugStringA(line.c_str());
        return nullptr;
    }
    *size = unpacked;
    return text;
}

} // namespace

FileSystem::FileSystem()
{
    current = this;
}

// A file system that goes away stops being current, so no reader is left with a dangling pointer.
FileSystem::~FileSystem()
{
    if (current == this)
        current = nullptr;
}

void FileSystem::freeData(void* buffer)
{
    std::free(buffer);
}

FileSystem* currentFileSystem()
{
    return current;
}

ResourceFileSystem::ResourceFileSystem()
    : module_(GetModuleHandleW(nullptr))
{
}

ResourceFileSystem::~ResourceFileSystem()
{
    names_.clear();
}

const uint8_t* namedResourceBytes(void* module, int id, size_t* size)
{
    auto handle = static_cast<HMODULE>(module);
    HRSRC found = FindResourceW(handle, MAKEINTRESOURCEW(id), kResourceType);
    HGLOBAL loaded = found ? LoadResource(handle, found) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    *size = found ? SizeofResource(handle, found) : 0;
    // an empty resource is there all the same, whatever pointer the loader gives for it
    static const uint8_t kEmpty = 0;
    if (found && !bytes && *size == 0)
        return &kEmpty;
    return bytes ? static_cast<const uint8_t*>(bytes) : (*size = 0, nullptr);
}

void ResourceFileSystem::addResource(const wchar_t* name, int id)
{
    names_[name ? name : L""] = id;
}

void* ResourceFileSystem::readFile(const wchar_t* name, uint64_t* size)
{
    auto it = names_.find(name ? name : L"");
    int id = it == names_.end() ? 0 : it->second;
    if (id == 0)
        return nullptr;
    size_t length = 0;
    const uint8_t* data = namedResourceBytes(module_, id, &length);
    if (!data)
        return nullptr;
    void* buffer = allocateWithTerminator(length);
    if (!buffer)
        return nullptr;
    if (length)
        std::memcpy(buffer, data, length);
    uint64_t served = length;
    buffer = asServed(name, buffer, &served);
    if (buffer && size)
        *size = served;
    return buffer;
}

LocalFileSystem::LocalFileSystem(std::wstring root)
    : root_(std::move(root))
{
}

void* LocalFileSystem::readFile(const wchar_t* name, uint64_t* size)
{
    std::wstring path = root_ + (name ? name : L"");
    platform::UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return nullptr;
    DWORD high = 0;
    DWORD length = GetFileSize(file.get(), &high);
    // Files past 4 GiB cannot be read in one call and are not something this reader serves.
    if (length == INVALID_FILE_SIZE && GetLastError() != NO_ERROR)
        return nullptr;
    if (high != 0)
        return nullptr;
    void* buffer = allocateWithTerminator(length);
    if (!buffer)
        return nullptr;
    DWORD read = 0;
    if (!ReadFile(file.get(), buffer, length, &read, nullptr) || read != length) {
        std::free(buffer);
        return nullptr;
    }
    uint64_t served = length;
    buffer = asServed(name, buffer, &served);
    if (buffer && size)
        *size = served;
    return buffer;
}
