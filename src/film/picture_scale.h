#pragma once
// The scale a film's pictures are made at for showing: their own size, or
// smaller where the view shows them smaller, so that a decoder converts each
// eye straight to the size shown instead of the view scaling it down after.
// The player asks for it, the pair pipeline decides it (a film whose
// pictures a stage resamples keeps its own size), and a film that cannot
// make pictures at another size ignores it.

#include <algorithm>
#include <cmath>

namespace plexo {

struct PictureScale {
    // Shown pixels a picture pixel, across and down; 1 and 1: own size.
    double across = 1;
    double down = 1;

    bool operator==(const PictureScale&) const = default;
    // Made at its own size: nothing is ever made larger than that.
    bool natural() const { return across >= 1 && down >= 1; }
};

// The size a picture of `width` x `height` is made at under `scale`: never
// larger than its own on either axis, at least one pixel.
inline int ScaledLength(int length, double scale)
{
    return std::max(1, std::min(length, int(std::lround(length * std::max(scale, 0.0)))));
}

}  // namespace plexo
