// DecodedImage: stb_image behind a size check, and the premultiplication of its pixels.
#include "DecodedImage.h"

#include <climits>

// Only the formats skins are made of; no file access, and the decoder's own side limit agrees
// with ours so that it refuses what slips past the header check (a GIF frame, say).
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_NO_STDIO
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_ONLY_BMP
#define STBI_ONLY_GIF
#define STBI_ONLY_PSD
#define STBI_ONLY_HDR
#define STBI_ONLY_PIC
#define STBI_MAX_DIMENSIONS 16384
#include <stb_image.h>

static_assert(DecodedImage::kMaxSide == STBI_MAX_DIMENSIONS, "one limit for the header check and the decoder");

namespace {

void fail(std::string* error, const std::string& reason)
{
    if (error)
        *error = reason;
}

// Sizes are computed in 64 bits: width × height × 4 of two 32-bit values does not fit 32.
bool acceptableSize(int64_t width, int64_t height)
{
    return width > 0 && height > 0 && width <= DecodedImage::kMaxSide && height <= DecodedImage::kMaxSide &&
           uint64_t(width) * uint64_t(height) * 4 <= DecodedImage::kMaxPixelBytes;
}

} // namespace

void DecodedImage::DecoderFree::operator()(uint8_t* pixels) const
{
    stbi_image_free(pixels);
}

bool DecodedImage::decode(const uint8_t* data, size_t size, std::string* error)
{
    pixels_.reset();
    width_ = height_ = 0;

    if (data && size > 0 && data[0] == 0x01) {
        ++data;
        --size;
    }
    if (!data || size == 0) {
        fail(error, "no image data");
        return false;
    }
    if (size > size_t(INT_MAX)) {
        fail(error, "the image data is larger than 2 GiB");
        return false;
    }

    // the header first: nothing is decoded for a size we would refuse anyway
    int width = 0, height = 0, components = 0;
    if (!stbi_info_from_memory(data, int(size), &width, &height, &components)) {
        fail(error, std::string("not an image: ") + stbi_failure_reason());
        return false;
    }
    if (!acceptableSize(width, height)) {
        fail(error, "the image is " + std::to_string(width) + " x " + std::to_string(height) +
                        " pixels, beyond what a skin may use");
        return false;
    }

    std::unique_ptr<uint8_t, DecoderFree> pixels(stbi_load_from_memory(data, int(size), &width, &height, &components, 4));
    if (!pixels) {
        fail(error, std::string("the image cannot be decoded: ") + stbi_failure_reason());
        return false;
    }
    // the decoded size is what the pixels have; it must pass the same test as the header's
    if (!acceptableSize(width, height)) {
        fail(error, "the decoded image has an unusable size");
        return false;
    }
    pixels_ = std::move(pixels);
    width_ = width;
    height_ = height;
    return true;
}

bool DecodedImage::writePremultiplied(uint32_t* out) const
{
    if (!pixels_ || !out)
        return false;
    bool hasAlpha = false;
    const uint8_t* in = pixels_.get();
    const uint64_t count = uint64_t(width_) * uint64_t(height_);
    for (uint64_t i = 0; i < count; ++i, in += 4) {
        uint32_t r = in[0], g = in[1], b = in[2], a = in[3];
        if (a < 255) {
            hasAlpha = true;
            r = r * a / 255;
            g = g * a / 255;
            b = b * a / 255;
        }
        out[i] = a << 24 | r << 16 | g << 8 | b;
    }
    return hasAlpha;
}
