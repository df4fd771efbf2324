// A file system over named byte strings in memory, for tests and benchmarks that need no disk.
#pragma once

#include <FileSystem.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

// Serves named byte strings with the file-system buffer contract (4 zero bytes after the data,
// `size` untouched on failure).
class MemoryFileSystem : public FileSystem {
public:
    std::map<std::wstring, std::string> files;

    void* readFile(const wchar_t* name, uint64_t* size) override
    {
        auto found = files.find(name ? name : L"");
        if (found == files.end())
            return nullptr;
        const std::string& bytes = found->second;
        auto* buffer = static_cast<char*>(std::malloc(bytes.size() + 4));
        if (!buffer)
            return nullptr;
        std::memcpy(buffer, bytes.data(), bytes.size());
        std::memset(buffer + bytes.size(), 0, 4);
        *size = bytes.size();
        return buffer;
    }
};
