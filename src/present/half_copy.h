#pragma once
// The half modes' pixel loops: a colour picture squeezed to half its width
// or half its height on its way into the frame. Each pair of columns, counted
// from the left, or of rows, counted from the top on screen, becomes one
// pixel whose bytes are (a + b + 1) / 2; the odd last column (the right one)
// or row (the bottom one on screen) of an odd width or height is kept as it
// is. So the squeezed picture is ceil(w / 2) or ceil(h / 2) pixels, and no
// column or row is dropped.
//
// rows × cols is a block of the squeezed picture (its rows counted from the
// bottom, as every picture's) and where it lands in the frame; the block is
// checked once and nothing is copied unless it lies inside both.

#include <cstdint>

#include "image/picture.h"
#include "present/frame_buffer.h"
#include "present/placement.h"

namespace plexo {

// ceil(size / 2): what a squeeze leaves of a width or height.
constexpr int64_t HalfSize(int64_t size) { return size - size / 2; }

void CopyHalfColumns(const Picture& colour, Span rows, Span cols, const FrameView& frame);
void CopyHalfRows(const Picture& colour, Span rows, Span cols, const FrameView& frame);

}  // namespace plexo
