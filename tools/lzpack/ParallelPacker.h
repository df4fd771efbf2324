// Packs a package's units on several threads and appends them in plan order.
#pragma once

#include "PackUnits.h"
#include "PackageWriter.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class ParallelPacker {
public:
    // Reads input `index` into `data`; false with a message when it cannot. Called on any thread.
    using Reader = std::function<bool(size_t index, std::vector<uint8_t>* data, std::string* error)>;

    // Plans the inputs' units (planUnits), reads and packs them on up to `jobs` threads, the
    // largest first, and appends them to `writer` in plan order; with one job everything happens
    // on the calling thread. The image is the same for every number of jobs. On failure returns
    // false with an input of the first unit (in plan order) that could not be read, packed or
    // appended, and why; units after it are not packed.
    static bool run(PackageWriter& writer, const PackSettings& settings, const std::vector<PlanInput>& inputs,
                    const Reader& read, unsigned jobs, size_t* failed, std::string* error);

    // Makes one unit's packed form: packs it, or takes it from somewhere else (a cache). False with
    // the input that failed and why. Called on any thread.
    using UnitPacker = std::function<bool(const PackUnit& unit, PackedUnit* out, size_t* failed, std::string* error)>;

    // The same with the plan and the packing given: `units` (planUnits of `inputs`, whose sizes
    // order the schedule) made by `pack` and appended in their order.
    static bool run(PackageWriter& writer, const std::vector<PlanInput>& inputs, const std::vector<PackUnit>& units,
                    const UnitPacker& pack, unsigned jobs, size_t* failed, std::string* error);
};
