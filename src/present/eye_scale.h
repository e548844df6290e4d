#pragma once
// An eye resampled to another size as it is written into the frame: a
// triangle filter widened by the reduction when it shrinks (as Pillow's
// bilinear resize), so that neither direction aliases, weights in 14-bit
// fixed point. An eye of the size asked for is copied unchanged.

#include <cstdint>

#include "image/picture.h"
#include "present/frame_buffer.h"
#include "present/placement.h"

namespace plexo {

// Writes the block `rows` × `cols` of the colour picture scaled to
// scaledWidth × scaledHeight into the frame: the spans' `src` count in the
// scaled picture, their `dst` in the frame, rows from the bottom. Nothing is
// written unless the block lies inside the scaled picture and the frame.
void ScaleColourBlock(const Picture& colour, int64_t scaledWidth, int64_t scaledHeight, Span rows, Span cols,
                      const FrameView& frame);

// The largest size of the picture's aspect inside width × height, one side
// filling it; each side at least 1 for any picture that has pixels.
struct ScaledSize {
    int64_t width = 0;
    int64_t height = 0;
};
ScaledSize FitInside(int64_t pictureWidth, int64_t pictureHeight, int64_t width, int64_t height);

}  // namespace plexo
