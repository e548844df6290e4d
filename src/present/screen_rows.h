#pragma once
// Turning the composed frame, or a picture shown as it is (24-bit,
// blue-green-red, bottom row first), into the 32-bit top-down rows a window
// image holds (0xffRRGGBB, bytes blue, green, red, 0xff in memory), so that
// painting it is a plain copy into the window's backing store. Any scaling
// for the screen works on the result.

#include <cstddef>
#include <cstdint>

#include "image/picture.h"

namespace plexo {

// A writable window on 32-bit top-down rows.
struct ScreenRows {
    uint8_t* data = nullptr;
    int width = 0;
    int height = 0;
    size_t stride = 0;
};

// Copies the top min(frame, screen) rows and columns of the frame into the
// top rows of `screen`. Nothing when the frame is not a colour picture or
// the screen's stride is too short for its width.
void FrameToScreenRows(const Picture& frame, const ScreenRows& screen);
// The same, one pixel at a time: what the vectorised version must match.
void FrameToScreenRowsReference(const Picture& frame, const ScreenRows& screen);

// Each screen pixel the average of a 2×2 block of the frame's, over the top
// min(frame / 2, screen) rows and columns: a frame shown at half its size
// or less reaches the screen's scaling with a quarter of its pixels.
void FrameToScreenRowsHalved(const Picture& frame, const ScreenRows& screen);
// The same, one pixel at a time.
void FrameToScreenRowsHalvedReference(const Picture& frame, const ScreenRows& screen);

}  // namespace plexo
