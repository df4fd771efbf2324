// A skin image of the style package, held by the style registry's image cache.
#pragma once

#include <cstdint>

// The registry owns every image in its cache; painters borrow them for one paint.
class SkinImage {
public:
    SkinImage() = default;
    ~SkinImage();
    SkinImage(const SkinImage&) = delete;
    SkinImage& operator=(const SkinImage&) = delete;

    int32_t width = 0;
    int32_t height = 0;
};
