// Skin images at several display scales: which drawing to use, and shrinking one with area filtering.
#pragma once

#include <cstdint>
#include <string>

namespace imageScale {

// The densities a style package may carry an image at: `name.png`, `name@1.5x.png`, `name@2x.png`.
constexpr int kDensityCount = 3;
constexpr double kDensities[kDensityCount] = {1.0, 1.5, 2.0};

// The name of an image's drawing at kDensities[index]: the suffix goes before the extension
// ("skin/button.png" at 2x is "skin/button@2x.png"); index 0 is the name itself.
std::wstring variantName(const std::wstring& name, int index);

// Which of the available drawings a window at `scale` uses: the smallest density at or above the
// scale (shrunk to it when larger), else the largest there is (enlarged as the last resort).
// -1 when none is available.
int pick(double scale, const bool available[kDensityCount]);

// Shrinks premultiplied 32-bit pixels (rows top to bottom) from sourceWidth × sourceHeight to
// width × height by area averaging: every source pixel counts with the share of it a target pixel
// covers, so thin lines fade instead of vanishing or flickering. Target sizes not smaller than
// the source are copied nearest-neighbour.
void shrink(const uint32_t* source, int32_t sourceWidth, int32_t sourceHeight, uint32_t* out, int32_t width,
            int32_t height);

} // namespace imageScale
