// libFuzzer target: any bytes decoded as a skin image and premultiplied, and any grid laid out over it.
#include <DecodedImage.h>
#include <NineSlice.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

int32_t readInt(const uint8_t* data, size_t size, size_t& offset)
{
    int32_t value = 0;
    if (offset + 4 <= size)
        std::memcpy(&value, data + offset, 4);
    offset += 4;
    return value;
}

// Every piece must lie inside the image and have a positive size at both ends, whatever the grid
// and the destination: that is what keeps the blits from reading outside the bitmap or mirroring.
void checkLayout(const uint8_t* data, size_t size, int32_t width, int32_t height)
{
    size_t offset = 0;
    Rect grid{readInt(data, size, offset), readInt(data, size, offset), readInt(data, size, offset),
              readInt(data, size, offset)};
    int32_t x = readInt(data, size, offset) % 4096, y = readInt(data, size, offset) % 4096;
    int32_t w = readInt(data, size, offset) % 4096, h = readInt(data, size, offset) % 4096;
    nineSlice::Piece pieces[9];
    int count = nineSlice::layout({x, y, x + w, y + h}, grid, width, height, pieces);
    for (int i = 0; i < count; ++i) {
        const Rect& s = pieces[i].source;
        const Rect& d = pieces[i].destination;
        if (s.isEmpty() || d.isEmpty() || s.left < 0 || s.top < 0 || s.right > width || s.bottom > height ||
            d.left < x || d.top < y || d.right > x + w || d.bottom > y + h)
            std::abort();
    }
}

} // namespace

// The decoder fills every pixel a header declares, data or not: at the installer's budget one tiny
// hostile header costs seconds under the sanitizers. The size checks themselves are unit-tested;
// here a budget of 4 MiB keeps the time on parsing.
constexpr uint64_t kFuzzPixelBytes = uint64_t(4) << 20;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    DecodedImage image;
    if (image.decode(data, size, nullptr, kFuzzPixelBytes)) {
        std::vector<uint32_t> pixels(size_t(image.width()) * size_t(image.height()));
        image.writePremultiplied(pixels.data());
        checkLayout(data, size, image.width(), image.height());
    } else {
        checkLayout(data, size, 20, 20);
    }
    return 0;
}
