// Named-file access for everything the installer reads: scripts and packages, from resources or a folder.
#pragma once

#include <cstdint>
#include <map>
#include <string>

// Buffers from readFile are malloc'ed copies followed by 4 zero bytes that `size` does not count,
// so that they can be used as zero-terminated narrow or UTF-16 text. `size` is written only when a
// buffer is returned. A buffer goes back through freeData of the file system that produced it.
class FileSystem {
public:
    FileSystem();
    virtual ~FileSystem();
    virtual void* readFile(const wchar_t* name, uint64_t* size) = 0;
    virtual void freeData(void* buffer);

    FileSystem(const FileSystem&) = delete;
    FileSystem& operator=(const FileSystem&) = delete;
};

// The most recently constructed file system. Set during start-up only; its owner keeps it alive
// for as long as anything reads through it.
FileSystem* currentFileSystem();

// The bytes of named resource `id` (type "_OrvoResc") of `module` (an HMODULE), where the loader
// mapped them (an empty one too), or null when it has none or they cannot be had; `size` receives
// their length (0 when none).
const uint8_t* namedResourceBytes(void* module, int id, size_t* size);

// Serves names from resources of type "_OrvoResc" in the executable, by integer id.
class ResourceFileSystem : public FileSystem {
public:
    ResourceFileSystem();
    ~ResourceFileSystem() override;
    // Binding a name again replaces its id. Called during start-up, before any other thread exists.
    void addResource(const wchar_t* name, int id);
    void* readFile(const wchar_t* name, uint64_t* size) override;

private:
    std::map<std::wstring, int> names_;
    void* module_;   // HMODULE of the executable, not owned
};

// Serves names from a folder. The root is glued to the name as is, so it carries its own trailing
// backslash.
class LocalFileSystem : public FileSystem {
public:
    explicit LocalFileSystem(std::wstring root);
    void* readFile(const wchar_t* name, uint64_t* size) override;
    const std::wstring& root() const { return root_; }

private:
    std::wstring root_;
};
