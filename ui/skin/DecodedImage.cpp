// DecodedImage: stb_image behind a size check, and the premultiplication of its pixels.
#include "DecodedImage.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "StbImage.h"

static_assert(DecodedImage::kMaxSide == STBI_MAX_DIMENSIONS, "one limit for the header check and the decoder");

namespace {

void fail(std::string* error, const std::string& reason)
{
    if (error)
        *error = reason;
}

// Sizes are computed in 64 bits: width × height × 4 of two 32-bit values does not fit 32.
bool acceptableSize(int64_t width, int64_t height, uint64_t maxPixelBytes)
{
    return width > 0 && height > 0 && width <= DecodedImage::kMaxSide && height <= DecodedImage::kMaxSide &&
           uint64_t(width) * uint64_t(height) * 4 <= maxPixelBytes;
}

// stb_image 2.27 trusts a JPEG's Huffman tables in two ways it should not: it builds a table from
// the declared code counts before checking them, writing one byte per code into arrays of 256, and
// a scan may name a table that was never defined, whose uninitialised contents then index memory
// far outside it. So the markers are walked here first, as the decoder walks them (fill bytes
// before any marker; an FF followed by a non-zero byte is a marker, also inside entropy-coded
// data): every table must declare at most 256 codes, and every table a scan uses must be defined.
bool jpegHuffmanTablesSound(const uint8_t* data, size_t size)
{
    // the start-of-image marker, after as many FF fill bytes as there may be
    size_t pos = 0;
    if (size < 2 || data[pos++] != 0xFF)
        return true;   // not a JPEG
    while (pos < size && data[pos] == 0xFF)
        ++pos;
    if (pos >= size || data[pos++] != 0xD8)
        return true;
    auto byteAt = [&](size_t i) -> uint32_t { return i < size ? data[i] : 0; };   // the decoder reads 0 past the end

    bool defined[2][4] = {};   // [0: DC, 1: AC][table id]
    int frame = -1;            // -1 before the frame header, 0 sequential, 1 progressive
    while (pos + 1 < size) {
        if (data[pos] != 0xFF || data[pos + 1] == 0x00 || data[pos + 1] == 0xFF ||
            (data[pos + 1] >= 0xD0 && data[pos + 1] <= 0xD8) || data[pos + 1] == 0x01) {
            ++pos;   // entropy-coded data, stuffing, fill bytes and markers without a length
            continue;
        }
        const uint32_t marker = data[pos + 1];
        if (marker == 0xD9)
            break;
        const size_t length = byteAt(pos + 2) << 8 | byteAt(pos + 3);
        const size_t end = pos + 2 + length;
        if (marker == 0xC4) {
            // tables until the segment's end: a class/id byte, 16 counts, then the codes
            for (size_t table = pos + 4; table < end && table < size;) {
                const uint32_t kind = byteAt(table) >> 4, id = byteAt(table) & 15;
                uint32_t codes = 0;
                for (size_t i = 1; i <= 16; ++i)
                    codes += byteAt(table + i);
                if (codes > 256)
                    return false;
                if (kind <= 1 && id <= 3)
                    defined[kind][id] = true;
                table += 17 + codes;
            }
        } else if ((marker == 0xC0 || marker == 0xC1 || marker == 0xC2) && frame < 0) {
            frame = marker == 0xC2 ? 1 : 0;
        } else if (marker == 0xDA && frame >= 0) {
            // which tables the scan decodes with: a progressive scan uses DC tables for its DC
            // coefficients (spectral start 0) and AC tables otherwise, a sequential one both
            const uint32_t components = byteAt(pos + 4);
            const bool dcScan = byteAt(pos + 5 + 2 * components) == 0;
            for (uint32_t c = 0; c < components && c < 4; ++c) {
                const uint32_t tables = byteAt(pos + 6 + 2 * c);
                const uint32_t dc = tables >> 4, ac = tables & 15;
                if (dc > 3 || ac > 3)
                    continue;   // the decoder refuses such a scan itself
                if ((frame == 0 || dcScan) && !defined[0][dc])
                    return false;
                if ((frame == 0 || !dcScan) && !defined[1][ac])
                    return false;
            }
        }
        pos = std::max(end, pos + 2);
    }
    return true;
}

// stb_image 2.27 grows its buffer for a PNG's image data to the size a chunk header declares before
// it reads the chunk, so a few hostile bytes can make it ask for 2 GiB. Every chunk up to the end
// marker must therefore lie inside the data (a file cut short cannot be decoded anyway).
bool pngChunksInsideData(const uint8_t* data, size_t size)
{
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (size < 8 || std::memcmp(data, kSignature, 8) != 0)
        return true;   // not a PNG
    for (size_t pos = 8; pos + 8 <= size;) {
        const uint64_t length = uint64_t(data[pos]) << 24 | data[pos + 1] << 16 | data[pos + 2] << 8 | data[pos + 3];
        if (length + 12 > size - pos)
            return false;
        if (std::memcmp(data + pos + 4, "IEND", 4) == 0)
            break;
        pos += size_t(length) + 12;
    }
    return true;
}

// Bytes read the way stb_image reads them: 0 once the data has run out.
struct ByteReader {
    const uint8_t* data;
    size_t size;
    size_t pos = 0;

    bool atEnd() const { return pos >= size; }
    uint32_t next() { return pos < size ? data[pos++] : (++pos, 0); }
    // One header line as the decoder takes it: up to a line feed, at most 1023 characters kept,
    // and (as the decoder compares C strings) only what comes before a NUL.
    std::string line()
    {
        std::string text;
        uint32_t c = next();
        while (!atEnd() && c != '\n') {
            text.push_back(char(c));
            if (text.size() == 1023) {
                while (!atEnd() && next() != '\n') {
                }
                break;
            }
            c = next();
        }
        return std::string(text.c_str());
    }
};

// stb_image 2.27 decodes run-length HDR scanlines in a loop that only ends when the counts it
// reads add up to the width; once the data has run out it reads zero counts forever. So the
// scanlines are walked here first, exactly as the decoder walks them, and data that ends inside
// a run-length scanline is refused. Anything the decoder would reject by itself passes.
bool hdrRunsEndInData(const uint8_t* data, size_t size)
{
    ByteReader in{data, size};
    const std::string magic = in.line();
    if (magic != "#?RADIANCE" && magic != "#?RGBE")
        return true;
    while (!in.line().empty()) {
    }
    const std::string resolution = in.line();
    if (resolution.compare(0, 3, "-Y ") != 0)
        return true;
    char* end = nullptr;
    const long height = std::strtol(resolution.c_str() + 3, &end, 10);
    while (*end == ' ')
        ++end;
    if (std::strncmp(end, "+X ", 3) != 0)
        return true;
    const long width = std::strtol(end + 3, nullptr, 10);
    if (width < 8 || width >= 32768 || height <= 0 || height > DecodedImage::kMaxSide)
        return true;   // flat data, or a size the decoder or the size check refuses

    for (long row = 0; row < height; ++row) {
        const uint32_t c1 = in.next(), c2 = in.next();
        uint32_t length = in.next();
        if (c1 != 2 || c2 != 2 || (length & 0x80))
            return true;   // the rest is read as flat pixels, which always ends
        length = length << 8 | in.next();
        if (long(length) != width)
            return true;
        for (int channel = 0; channel < 4; ++channel) {
            for (long filled = 0; filled < width;) {
                if (in.atEnd())
                    return false;   // the decoder would read zero counts from here on, for ever
                uint32_t count = in.next();
                if (count > 128) {
                    in.next();
                    count -= 128;
                } else {
                    in.pos += count;
                }
                if (long(count) > width - filled)
                    return true;   // the decoder stops with "bad RLE data"
                filled += count;
            }
        }
    }
    return true;
}

} // namespace

void DecodedImage::DecoderFree::operator()(uint8_t* pixels) const
{
    stbi_image_free(pixels);
}

bool DecodedImage::decode(const uint8_t* data, size_t size, std::string* error, uint64_t maxPixelBytes)
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

    if (!jpegHuffmanTablesSound(data, size)) {
        fail(error, "damaged JPEG: a Huffman table is oversized or used without being defined");
        return false;
    }
    if (!pngChunksInsideData(data, size)) {
        fail(error, "damaged PNG: a chunk runs past the end of the data");
        return false;
    }
    if (!hdrRunsEndInData(data, size)) {
        fail(error, "damaged HDR image: its run-length data ends inside a scanline");
        return false;
    }

    // the header first: nothing is decoded for a size we would refuse anyway
    int width = 0, height = 0, components = 0;
    if (!stbi_info_from_memory(data, int(size), &width, &height, &components)) {
        fail(error, std::string("not an image: ") + stbi_failure_reason());
        return false;
    }
    if (!acceptableSize(width, height, maxPixelBytes)) {
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
    if (!acceptableSize(width, height, maxPixelBytes)) {
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
