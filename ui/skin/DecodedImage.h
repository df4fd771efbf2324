// Decoding of untrusted skin image bytes into RGBA pixels, and their premultiplied 32-bit form; portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// The decoder's pixels for one image: width × height RGBA bytes, rows top to bottom. Built natively
// too, so that the fuzzer runs exactly this code.
class DecodedImage {
public:
    // Images beyond these are refused before any pixel is decoded: a skin image is a few hundred
    // pixels on a side, and a hostile header must not make the decoder allocate gigabytes.
    static constexpr int32_t kMaxSide = 16384;
    static constexpr uint64_t kMaxPixelBytes = uint64_t(256) << 20;

    DecodedImage() = default;

    // Decodes an image file held in memory (PNG, JPEG, BMP, GIF, PSD, HDR, PIC). A first byte 0x01
    // is a marker in front of the image data and is skipped. False, with the reason, for empty,
    // damaged, unknown or oversized data (more than `maxPixelBytes` of RGBA pixels); the object
    // then holds no pixels.
    bool decode(const uint8_t* data, size_t size, std::string* error = nullptr,
                uint64_t maxPixelBytes = kMaxPixelBytes);

    bool valid() const { return pixels_ != nullptr; }
    int32_t width() const { return width_; }
    int32_t height() const { return height_; }
    const uint8_t* rgba() const { return pixels_.get(); }

    // Writes width × height words A<<24 | R<<16 | G<<8 | B, each colour channel of a pixel with
    // alpha below 255 replaced by floor(c × A / 255). Returns whether any pixel has alpha below 255.
    bool writePremultiplied(uint32_t* out) const;

private:
    struct DecoderFree {
        void operator()(uint8_t* pixels) const;
    };

    std::unique_ptr<uint8_t, DecoderFree> pixels_;
    int32_t width_ = 0;
    int32_t height_ = 0;
};
