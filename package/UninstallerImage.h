// The uninstaller is the installer's own stub with the uninstaller's script in place of the
// installer's files: the installer writes it at install time from its own executable, so the
// download carries only the uninstaller's script and, for a signed build, its signature.
#pragma once

#include "PeResources.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace uninstaller {

// What turns the installer's executable into the uninstaller, exactly as the build made it
// (resource ORVO_ID_UNINSTALLER, layout in the README's "The uninstaller").
struct Recipe {
    uint32_t timestamp = 0;           // the uninstaller's link time
    std::vector<uint8_t> script;      // its UI script, as an executable stores it
    uint64_t size = 0;                // the finished file's size
    std::array<uint8_t, 32> digest{}; // and its SHA-256
    struct Patch {
        uint32_t offset = 0;
        std::vector<uint8_t> bytes;
    };
    std::vector<Patch> patches;       // what signing changed in the written image
    std::vector<uint8_t> tail;        // and what it added at its end (the certificate table)
};

std::vector<uint8_t> serialise(const Recipe& recipe);
// False with a reason for anything but a whole recipe.
bool parse(const uint8_t* data, size_t size, Recipe* out, std::string* error);

// The unsigned uninstaller from `image`, an executable carrying the markup and style packages (the
// stub they were just added to, or a whole installer): every other named resource left out, the
// uninstaller's script added. The same resources always give the same bytes, from either.
bool writeImage(PeImage image, const std::vector<uint8_t>& script, uint32_t timestamp, std::vector<uint8_t>* out,
                std::string* error);
// Reads an executable for writeImage (`size` bytes at `data`, kept there by the caller while `out`
// lives), leaving out (never copying) the named resources it drops.
bool parseForImage(const uint8_t* data, size_t size, PeImage* out, std::string* error);

// The build's side: the recipe that makes `finished` (the signed uninstaller, or `written` itself)
// out of `written` (writeImage's result).
bool describe(uint32_t timestamp, const std::vector<uint8_t>& script, const std::vector<uint8_t>& written,
              const std::vector<uint8_t>& finished, Recipe* out, std::string* error);

// The installer's side: the finished uninstaller from the `size` bytes of the installer's
// executable at `installer`, which nothing trusts: the result must match the recipe's digest.
bool finish(const uint8_t* installer, size_t size, const Recipe& recipe, std::vector<uint8_t>* out,
            std::string* error);

} // namespace uninstaller
