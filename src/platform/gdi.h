#pragma once
// The two drawing calls the page flipper makes on a surface's drawing
// context: a bottom-up 24-bit bitmap set onto it, and a rectangle copied from
// one context to another. Both clip to the surfaces and never touch a byte
// outside the bitmap or the surfaces.

#include <cstdint>

#include "platform/bitmap_info_header.h"
#include "plexo/k3v_dd.h"

// A drawing context: the surface's pixels, locked while the context lives,
// and the part of them drawn on since the context was had (empty at first).
struct K3V_DC {
    K3V_Pixels pixels;
    K3V_Rect changed;
};

namespace plexo::platform {

inline constexpr uint32_t kDibRgbColors = 0;
inline constexpr uint32_t kSrcCopy = 0x00CC0020;

// Sets `lines` rows of the bitmap from `startScan` (counted from the bottom)
// onto the context: source (xSrc, ySrc) lands at (x, y), w × h pixels. Only
// uncompressed 24-bit bottom-up bitmaps with RGB colours are drawn. Returns
// the number of rows set (0 when nothing could be).
int SetDIBitsToDevice(K3V_DC* dc, int32_t x, int32_t y, uint32_t w, uint32_t h, int32_t xSrc, int32_t ySrc,
                      uint32_t startScan, uint32_t lines, const void* bits, const BitmapInfoHeader& header,
                      uint32_t usage);

// Copies w × h pixels from (xSrc, ySrc) of `source` to (x, y) of `dest`;
// only SRCCOPY. False for a null context or another operation.
bool BitBlt(K3V_DC* dest, int32_t x, int32_t y, int32_t w, int32_t h, K3V_DC* source, int32_t xSrc, int32_t ySrc,
            uint32_t rop);

}  // namespace plexo::platform
