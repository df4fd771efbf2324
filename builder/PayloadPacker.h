// Packs the files of a package on every core, each packed unit (a solid block, or a file of its
// own) cached by what went into it.
#pragma once

#include <PackUnits.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct PackInput {
    std::u16string name;               // the entry name, "/" between levels
    std::filesystem::path path;        // read from here, unless `bytes` is given
    const std::vector<uint8_t>* bytes = nullptr;   // not owned
    uint64_t size = 0;
};

struct PackOptions {
    int level = 7;
    uint32_t solidBytes = 0;           // 0: one unit per file; otherwise blocks of about this size
    bool checkValues = true;
    std::filesystem::path cache;       // empty: no cache
    unsigned jobs = 1;
};

// Read by another thread while packing runs (the progress display).
struct PackCounters {
    std::atomic<uint64_t> bytesIn{0}, bytesOut{0};
    std::atomic<size_t> files{0}, unitsPacked{0}, unitsCached{0};
};

// The package image of `inputs` (planUnits' order and units, as lzpack makes it from the same files
// and settings), the same bytes with or without the cache and for any number of jobs; `order`, when
// given, gets the inputs' indices in package order. False with a message naming the file that could
// not be read or packed.
bool packFiles(const std::vector<PackInput>& inputs, const PackOptions& options, PackCounters* counters,
               std::vector<uint8_t>* image, std::vector<size_t>* order, std::string* error);

// The cache key of one unit: SHA-256 over a format tag, the packing settings, and each member's
// name and content digest. Exposed for the tests.
sha256::Digest unitKey(const PackOptions& options, const std::vector<std::u16string>& names,
                       const std::vector<sha256::Digest>& contents);

// A digest in lower-case hexadecimal.
std::string hexDigest(const sha256::Digest& digest);

// The user's cache folder for the tool: $XDG_CACHE_HOME/orvo-build, ~/.cache/orvo-build, or on
// Windows %LOCALAPPDATA%\orvo-build.
std::filesystem::path defaultCacheFolder();
