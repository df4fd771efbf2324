// The slide show's cross-fade: the weight curve and the byte-wise blend of two premultiplied images.
#pragma once

#include <cstddef>
#include <cstdint>

namespace crossFade {

// The weight of the incoming image at a tick of the fade: a half sine from 0 (tick 0) through
// 128 (tick 20) to 255 (tick 39), computed in single precision so every platform agrees.
int32_t weight(int32_t tick);

// out[i] = (previous[i] × (256 − w) + current[i] × w) >> 8 for each of `bytes` bytes, w in 0 … 255.
// Every channel of premultiplied pixels blends alike, so the result stays premultiplied.
void blend(const uint8_t* previous, const uint8_t* current, uint8_t* out, size_t bytes, int32_t w);

} // namespace crossFade
