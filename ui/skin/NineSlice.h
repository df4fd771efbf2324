// Where the nine pieces of a scale-grid image go: the geometry of nine-slice drawing, without GDI.
#pragma once

#include <Geometry.h>

namespace nineSlice {

// One blit: `copy` when source and destination have the same size (1:1), a stretch otherwise.
struct Piece {
    Rect destination;
    Rect source;
    bool copy;
};

// The pieces of an image of width × height drawn into `destination` with the margins of `grid`
// (left, top, right, bottom in image pixels), in drawing order: centre, top-left, top, top-right,
// right, bottom-right, bottom, bottom-left, left. Returns how many were written to `out`.
//
// Margins are made usable first, so that no blit mirrors or reads outside the image: a negative
// margin counts as 0; margins that together exceed the image are scaled down to fit it, and those
// that exceed the destination are scaled down to fit the destination (the pieces are then
// stretched rather than copied). A piece without positive width and height, at its source or at its
// destination, is left out.
int layout(const Rect& destination, const Rect& grid, int32_t width, int32_t height, Piece out[9]);

} // namespace nineSlice
