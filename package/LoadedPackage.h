// A package read through a file system and opened over that image: the two live and go together.
#pragma once

#include "DecodeAhead.h"
#include "FileBuffer.h"
#include "Package.h"

#include <memory>
#include <string>

class FileSystem;

class LoadedPackage {
public:
    enum class Status { loaded, unreadable, damaged };

    LoadedPackage() = default;
    ~LoadedPackage() { reset(); }
    LoadedPackage(LoadedPackage&&) = default;
    LoadedPackage(const LoadedPackage&) = delete;
    LoadedPackage& operator=(const LoadedPackage&) = delete;

    // Releases what was held, then reads `name` through `files` and opens it. `reason` receives
    // why a readable image is not a package.
    Status load(FileSystem* files, const std::wstring& name, std::string* reason = nullptr);
    // The decoders first, since they read the package, then the package, since it reads the
    // image, then the image.
    void reset();

    // From now on readEntry decodes ahead of its caller on `decoders` threads (DecodeAhead);
    // 0 leaves it a plain Package::readEntry, but for a package with blocks, whose each block is
    // then decoded once for all its files. Only for a loaded package.
    void decodeAhead(unsigned decoders, size_t budget = DecodeAhead::kDefaultBudget);
    const DecodeAhead* decoders() const { return decoders_.get(); }

    // Package::readEntry, through the decoders when there are any; null when nothing is loaded.
    uint8_t* readEntry(const wchar_t* name, uint64_t* size);

    explicit operator bool() const { return package_ != nullptr; }
    const Package* get() const { return package_.get(); }
    const Package* operator->() const { return package_.get(); }

private:
    FileBuffer image_;
    std::unique_ptr<Package> package_;
    std::unique_ptr<DecodeAhead> decoders_;
};
