#pragma once
// Turning the composed frame (24-bit, blue-green-red, bottom row first) into
// the 32-bit top-down rows a Qt image holds, so that painting it is a plain
// copy into the window's backing store.

#include <cstddef>
#include <cstdint>

namespace plexo {

// Copies the top `height` rows of the bottom-up source, `width` pixels each,
// into top-down 0xffRRGGBB pixels. The caller guarantees that both sides hold
// at least width × height pixels with the given strides.
void BottomUpBgrToTopDownXrgb(const uint8_t* source, size_t sourceStride, int sourceHeight, int width, int height,
                              uint8_t* dest, size_t destStride);

}  // namespace plexo
