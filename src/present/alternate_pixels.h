#pragma once
// The pixel loop of the columns and checkerboard presentations: the second
// eye's pixels over every other column of the frame, the first eye's pixels
// staying between them.

#include <cstdint>

#include "image/picture.h"
#include "present/frame_buffer.h"
#include "present/placement.h"

namespace plexo {

// In frame row r, the pixels of columns x < width with x % 2 == phase(r)
// become the second eye's: the colour picture's block rows × cols where it
// lies, black elsewhere (everywhere when the block does not fit). phase(r) is
// `phase` on every row, or with `checkerboard` `phase` on even rows and the
// other on odd ones. Nothing when the width does not fit the frame.
void TakeAlternatePixels(const Picture& colour, Span rows, Span cols, int64_t width, int phase, bool checkerboard,
                         const FrameView& frame);

}  // namespace plexo
