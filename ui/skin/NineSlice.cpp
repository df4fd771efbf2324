// The nine-slice layout: usable margins first, then the nine pieces in drawing order.
#include "NineSlice.h"

#include <algorithm>

namespace nineSlice {

namespace {

// Two margins along one axis, made to fit `total` pixels: negatives count as 0, and a pair that
// is too wide shrinks in proportion (the first rounded down, the second taking the rest).
void fit(int32_t& first, int32_t& second, int32_t total)
{
    first = std::max(first, 0);
    second = std::max(second, 0);
    if (total <= 0) {
        first = second = 0;
        return;
    }
    int64_t sum = int64_t(first) + second;
    if (sum <= total)
        return;
    first = int32_t(int64_t(first) * total / sum);
    second = total - first;
}

Rect box(int32_t x, int32_t y, int32_t width, int32_t height)
{
    return {x, y, x + width, y + height};
}

} // namespace

int layout(const Rect& destination, const Rect& grid, int32_t width, int32_t height, Piece out[9])
{
    const Rect& d = destination;
    // margins at the source (image pixels) and at the destination (device pixels)
    int32_t sL = grid.left, sT = grid.top, sR = grid.right, sB = grid.bottom;
    fit(sL, sR, width);
    fit(sT, sB, height);
    int32_t dL = grid.left, dT = grid.top, dR = grid.right, dB = grid.bottom;
    fit(dL, dR, d.width());
    fit(dT, dB, d.height());

    const int32_t dcw = d.width() - dL - dR, dch = d.height() - dT - dB;
    const int32_t scw = width - sL - sR, sch = height - sT - sB;
    const int32_t xr = d.right - dR, yb = d.bottom - dB;

    const Piece pieces[9] = {
        {box(d.left + dL, d.top + dT, dcw, dch), box(sL, sT, scw, sch), false},        // centre
        {box(d.left, d.top, dL, dT), box(0, 0, sL, sT), false},                          // top-left
        {box(d.left + dL, d.top, dcw, dT), box(sL, 0, scw, sT), false},                  // top
        {box(xr, d.top, dR, dT), box(width - sR, 0, sR, sT), false},                     // top-right
        {box(xr, d.top + dT, dR, dch), box(width - sR, sT, sR, sch), false},             // right
        {box(xr, yb, dR, dB), box(width - sR, height - sB, sR, sB), false},              // bottom-right
        {box(d.left + dL, yb, dcw, dB), box(sL, height - sB, scw, sB), false},           // bottom
        {box(d.left, yb, dL, dB), box(0, height - sB, sL, sB), false},                   // bottom-left
        {box(d.left, d.top + dT, dL, dch), box(0, sT, sL, sch), false},                  // left
    };

    int count = 0;
    for (const Piece& piece : pieces) {
        if (piece.destination.isEmpty() || piece.source.isEmpty())
            continue;
        Piece& kept = out[count++];
        kept = piece;
        kept.copy = piece.destination.width() == piece.source.width() &&
                    piece.destination.height() == piece.source.height();
    }
    return count;
}

} // namespace nineSlice
