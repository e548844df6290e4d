#pragma once
// A subtitle as it is laid over an eye: a box of premultiplied blue, green,
// red and coverage bytes, placed in the eye's picture counted from its top
// row, as renderers lay out text.

#include <cstdint>
#include <vector>

#include "image/picture.h"

namespace plexo::subtitle {

struct SubtitleBitmap {
    // The box's top-left pixel in the eye, top row 0.
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    // width × height pixels, top row first: blue, green and red already
    // multiplied by the coverage, then the coverage (255 covers the eye).
    std::vector<uint8_t> bgra;

    bool empty() const { return width <= 0 || height <= 0; }
    uint8_t* pixel(int col, int row) { return bgra.data() + (size_t(row) * size_t(width) + size_t(col)) * 4; }
    const uint8_t* pixel(int col, int row) const
    {
        return bgra.data() + (size_t(row) * size_t(width) + size_t(col)) * 4;
    }
};

// A clear box of the given place and size; empty for a size below 1.
SubtitleBitmap ClearBitmap(int x, int y, int width, int height);

// Lays the bitmap over the picture `shift` columns to the right (left when
// negative), clipped to the picture: a colour picture takes its colours, a
// grey one their brightness. The picture's bytes must be writable (an owned
// copy).
void DrawBitmap(const SubtitleBitmap& bitmap, int shift, const Picture& into);

}  // namespace plexo::subtitle
