#pragma once
// Where each eye of a stereo presentation lands in the frame: the block of
// frame columns and rows that is its own (its area), and the part of its
// picture that lands there, placed as the stereo compositors place a picture
// in the whole frame.

#include <cstdint>

#include "present/placement.h"

namespace plexo {

// Frame columns x to x + width − 1 and rows y to y + height − 1, rows counted
// from the bottom.
struct EyeArea {
    int64_t x = 0;
    int64_t y = 0;
    int64_t width = 0;
    int64_t height = 0;
};

// How a presentation shares the view between the eyes.
enum class EyeLayout {
    Shared,      // both eyes over the whole view
    SideBySide,  // the first eye in the left half, the second in the right
    TopBottom,   // the first eye in the top half on screen, the second below
};

struct EyeAreas {
    EyeArea first;
    EyeArea second;
};

// The areas in a view of width × height. An odd width or height gives the
// first eye's half the extra column or row.
EyeAreas AreasOf(EyeLayout layout, int64_t width, int64_t height);

// The block of a picture of width × height that lands in the area, in picture
// and frame coordinates: centred, moved `shift` columns right as
// DisplacedSpan moves it and `up` rows up as RaisedSpan does, cut to the area.
struct EyeBlock {
    Span rows;
    Span cols;
};
EyeBlock PlaceInArea(int64_t width, int64_t height, const EyeArea& area, int64_t shift, int64_t up);

}  // namespace plexo
