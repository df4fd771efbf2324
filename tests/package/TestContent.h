// Package contents for the package tests: named files of bytes LZMA packs well or not at all.
#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace testcontent {

struct File {
    std::u16string name;
    std::vector<uint8_t> data;
};

// Text-like bytes that LZMA packs, or noise that it cannot (stored); the same for the same seed.
inline std::vector<uint8_t> content(size_t size, unsigned seed, bool noise = false)
{
    std::mt19937 random(seed);
    std::vector<uint8_t> out(size);
    static const char kWords[] = "package entry solid block decode ahead budget folder ";
    for (size_t i = 0; i < size; ++i)
        out[i] = noise || random() % 8 == 0 ? uint8_t(random()) : uint8_t(kWords[(i + seed) % (sizeof kWords - 1)]);
    return out;
}

} // namespace testcontent
