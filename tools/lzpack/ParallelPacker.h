// Packs a package's entries on several threads and appends them in their own order.
#pragma once

#include "PackageWriter.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class ParallelPacker {
public:
    struct Input {
        std::u16string name;
        uint64_t sizeHint = 0;   // the larger ones start first, so that no thread is left with one at the end
    };
    // Reads input `index` into `data`; false with a message when it cannot. Called on any thread.
    using Reader = std::function<bool(size_t index, std::vector<uint8_t>* data, std::string* error)>;

    // Reads, packs and appends every input to `writer` in the given order, packing on up to `jobs`
    // threads; with one job everything happens on the calling thread. The image is the same for
    // every number of jobs. On failure returns false with the first input (in the given order)
    // that could not be read, packed or appended, and why; inputs after it are not packed.
    static bool run(PackageWriter& writer, const std::vector<Input>& inputs, const Reader& read, unsigned jobs,
                    size_t* failed, std::string* error);
};
