#pragma once
// The pixel loops of the compositors: copies of a picture's block into a
// frame. Each checks once that its block lies inside the picture and the
// frame and copies nothing otherwise.

#include <cstdint>

#include "image/picture.h"
#include "present/frame_buffer.h"
#include "present/placement.h"

namespace plexo {

// The checks every pixel loop makes once at its edge: a span that is not
// empty and lies inside both sizes; a frame whose rows hold its width; a
// picture of the depth expected holding the block, in a frame that holds it.
bool InsideBoth(Span s, int64_t pictureSize, int64_t frameSize);
bool FrameFits(const FrameView& frame);
bool BlockFits(const Picture& picture, int bytesPerPixel, Span rows, Span cols, const FrameView& frame);

// Colour rows: relative rows first, first + step, first + 2·step, … below
// rows.count of the block at rows × cols go unchanged, three bytes a pixel.
// Plain copies every row (0, 1); interlacing takes every other (0 or 1, 2).
// False when the block was refused.
bool CopyColourRows(const Picture& colour, Span rows, Span cols, int firstRow, int rowStep,
                    const FrameView& frame);

// Grey bytes of the block into one channel (0 blue, 1 green, 2 red) of the
// frame's pixels; the other channels are left as they are.
void CopyGreyToChannel(const Picture& grey, Span rows, Span cols, int channel, const FrameView& frame);
// The same, one byte at a time: what the vectorised version must match.
void CopyGreyToChannelReference(const Picture& grey, Span rows, Span cols, int channel, const FrameView& frame);

}  // namespace plexo
