// Choosing a skin image's density and area-averaging shrink.
#include "ImageScale.h"

#include <algorithm>
#include <vector>

namespace imageScale {

namespace {

constexpr const wchar_t* kSuffixes[kDensityCount] = {L"", L"@1.5x", L"@2x"};

// The weights of the source pixels along one axis: target i covers [i * ratio, (i + 1) * ratio).
struct Span {
    int32_t first = 0;
    std::vector<double> weights;
};

std::vector<Span> spans(int32_t sourceLength, int32_t length)
{
    std::vector<Span> out(size_t(std::max(length, 0)));
    const double ratio = double(sourceLength) / length;
    for (int32_t i = 0; i < length; ++i) {
        const double start = i * ratio, end = std::min((i + 1) * ratio, double(sourceLength));
        Span& span = out[size_t(i)];
        span.first = int32_t(start);
        for (int32_t s = span.first; s < sourceLength && s < end; ++s) {
            const double covered = std::min(end, s + 1.0) - std::max(start, double(s));
            span.weights.push_back(covered / ratio);
        }
    }
    return out;
}

} // namespace

std::wstring variantName(const std::wstring& name, int index)
{
    if (index <= 0 || index >= kDensityCount)
        return name;
    const size_t slash = name.find_last_of(L"/\\");
    const size_t dot = name.find_last_of(L'.');
    const size_t at = dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash) ? name.size() : dot;
    return name.substr(0, at) + kSuffixes[index] + name.substr(at);
}

int pick(double scale, const bool available[kDensityCount])
{
    int largest = -1;
    for (int i = 0; i < kDensityCount; ++i) {
        if (!available[i])
            continue;
        if (kDensities[i] >= scale - 1e-6)
            return i;
        largest = i;
    }
    return largest;
}

void shrink(const uint32_t* source, int32_t sourceWidth, int32_t sourceHeight, uint32_t* out, int32_t width,
            int32_t height)
{
    if (!source || !out || sourceWidth <= 0 || sourceHeight <= 0 || width <= 0 || height <= 0)
        return;
    if (width >= sourceWidth && height >= sourceHeight) {
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x)
                out[size_t(y) * size_t(width) + size_t(x)] =
                    source[size_t(int64_t(y) * sourceHeight / height) * size_t(sourceWidth) +
                           size_t(int64_t(x) * sourceWidth / width)];
        return;
    }
    const std::vector<Span> columns = spans(sourceWidth, width), rows = spans(sourceHeight, height);
    // the rows first: each target row is a weighted sum of source rows, per channel
    std::vector<double> row(size_t(sourceWidth) * 4);
    for (int32_t y = 0; y < height; ++y) {
        std::fill(row.begin(), row.end(), 0.0);
        const Span& r = rows[size_t(y)];
        for (size_t k = 0; k < r.weights.size(); ++k) {
            const uint32_t* line = source + size_t(r.first + int32_t(k)) * size_t(sourceWidth);
            for (int32_t x = 0; x < sourceWidth; ++x)
                for (int c = 0; c < 4; ++c)
                    row[size_t(x) * 4 + size_t(c)] += r.weights[k] * double((line[x] >> (8 * c)) & 0xFF);
        }
        for (int32_t x = 0; x < width; ++x) {
            const Span& col = columns[size_t(x)];
            double sum[4] = {0, 0, 0, 0};
            for (size_t k = 0; k < col.weights.size(); ++k)
                for (int c = 0; c < 4; ++c)
                    sum[c] += col.weights[k] * row[size_t(col.first + int32_t(k)) * 4 + size_t(c)];
            uint32_t pixel = 0;
            for (int c = 0; c < 4; ++c)
                pixel |= uint32_t(std::clamp(int(sum[c] + 0.5), 0, 255)) << (8 * c);
            out[size_t(y) * size_t(width) + size_t(x)] = pixel;
        }
    }
}

} // namespace imageScale
