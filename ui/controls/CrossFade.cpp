// crossFade: the fade's weight curve and the blend through two lookup tables.
#include "CrossFade.h"

#include <algorithm>
#include <cmath>

namespace crossFade {

int32_t weight(int32_t tick)
{
    float angle = float(tick) * 0.07853981742033447f - 1.570796325f;
    return int32_t(std::floor((std::sin(angle) + 1.0f) * 128.0f));
}

void blend(const uint8_t* previous, const uint8_t* current, uint8_t* out, size_t bytes, int32_t w)
{
    w = std::clamp(w, 0, 255);
    // one product per source byte value instead of two multiplications per byte
    uint16_t incoming[256], outgoing[256];
    for (int i = 0; i < 256; ++i) {
        incoming[i] = uint16_t(i * w);
        outgoing[i] = uint16_t(i * (256 - w));
    }
    for (size_t i = 0; i < bytes; ++i)
        out[i] = uint8_t((outgoing[previous[i]] + incoming[current[i]]) >> 8);
}

} // namespace crossFade
