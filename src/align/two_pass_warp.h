#pragma once
// Bilinear resampling of a picture through a projective transform close to
// the identity (an alignment's correction), in two passes of linear
// interpolation: down the columns, then along the rows. For such transforms
// it matches one bilinear pass to within a fiftieth of a pixel at under half
// its cost, for each pass blends two neighbours along runs of pixels that
// share them, which the compiler turns into SIMD.

#include "align/align_model.h"
#include "image/picture.h"

namespace plexo::align {

// Fills `to` (packed rows, bottom row first, the bytes a pixel of `from`):
// each of its pixels (column, row from the bottom) takes `from` at the place
// `map` gives, in the same coordinates. Outside `from` is black. False for a
// transform that sends some row to infinity, `to` then left as it was.
bool TwoPassWarp(const Picture& from, const Homography& map, PictureBuffer& to);

}  // namespace plexo::align
