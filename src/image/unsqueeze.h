#pragma once
// A half layout's eye brought back to the shape it is shown at: twice as wide
// (side by side) or twice as tall (top-bottom), as a 3D display stretches it.

#include "image/picture.h"
#include "image/stereo_layout.h"

namespace plexo {

// Each stored sample becomes two, each three parts of it to one part of its
// neighbour on that side (the edge samples count as their own neighbours):
// the linear interpolation of a scaler sampling at pixel centres. `kind`
// says the axis; a mono layout gives an empty buffer, as does a failed
// allocation.
PictureBuffer Unsqueezed(const Picture& eye, LayoutKind kind);
// The same into `full`, which has the stretched size already (a buffer used
// again frame after frame); false when it has not or the layout is mono.
bool UnsqueezeInto(const Picture& eye, LayoutKind kind, PictureBuffer& full);

}  // namespace plexo
