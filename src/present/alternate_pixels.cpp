#include "present/alternate_pixels.h"

#include "present/frame_copy.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace plexo {

namespace {

// Pixels first, first + 2, … of `pixels` from `from` (black when null) into `to`.
void EveryOther(const uint8_t* from, uint8_t* to, size_t pixels, size_t first)
{
    for (size_t x = first; x < pixels; x += 2)
        for (size_t c = 0; c < 3; ++c)
            to[3 * x + c] = from ? from[3 * x + c] : 0;
}

#if defined(__SSE2__)
// Forty-eight bytes, sixteen pixels, at a time: a mask that repeats every
// two pixels picks the bytes to replace.
void Alternate(const uint8_t* from, uint8_t* to, size_t pixels, size_t first)
{
    alignas(16) uint8_t mask[48];
    for (size_t i = 0; i < 48; ++i)
        mask[i] = i / 3 % 2 == first ? 0xFF : 0x00;
    __m128i take[3];
    for (int v = 0; v < 3; ++v)
        take[v] = _mm_load_si128(reinterpret_cast<const __m128i*>(mask + 16 * v));
    size_t x = 0;
    for (; x + 16 <= pixels; x += 16)
        for (size_t v = 0; v < 3; ++v) {
            __m128i* at = reinterpret_cast<__m128i*>(to + 3 * x + 16 * v);
            const __m128i kept = _mm_andnot_si128(take[v], _mm_loadu_si128(at));
            const __m128i taken =
                from ? _mm_and_si128(take[v], _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 3 * x + 16 * v)))
                     : _mm_setzero_si128();
            _mm_storeu_si128(at, _mm_or_si128(kept, taken));
        }
    EveryOther(from ? from + 3 * x : nullptr, to + 3 * x, pixels - x, first);
}
#else
void Alternate(const uint8_t* from, uint8_t* to, size_t pixels, size_t first) { EveryOther(from, to, pixels, first); }
#endif

}  // namespace

void TakeAlternatePixels(const Picture& colour, Span rows, Span cols, int64_t width, int phase, bool checkerboard,
                         const FrameView& frame)
{
    if (!FrameFits(frame) || width <= 0 || width > frame.width)
        return;
    const bool hasColour = BlockFits(colour, 3, rows, cols, frame) && cols.dst + cols.count <= width;
    for (int r = 0; r < frame.height; ++r) {
        uint8_t* row = frame.row(r);
        const size_t rowPhase = size_t(phase ^ (checkerboard ? r & 1 : 0)) & 1;
        if (!hasColour || r < rows.dst || r >= rows.dst + rows.count) {
            Alternate(nullptr, row, size_t(width), rowPhase);
            continue;
        }
        const size_t left = size_t(cols.dst), right = size_t(cols.dst + cols.count);
        Alternate(nullptr, row, left, rowPhase);
        Alternate(colour.row(int(rows.src + r - rows.dst)) + 3 * size_t(cols.src), row + 3 * left, right - left,
                  (rowPhase + left) & 1);
        Alternate(nullptr, row + 3 * right, size_t(width) - right, (rowPhase + right) & 1);
    }
}

}  // namespace plexo
