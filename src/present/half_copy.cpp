#include "present/half_copy.h"

#include <algorithm>

#include "present/frame_copy.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace plexo {

namespace {

uint8_t Mean(uint8_t a, uint8_t b) { return uint8_t((a + b + 1) >> 1); }

// `pixels` pairs of adjacent pixels from `from` into one pixel each.
void PairsRow(const uint8_t* from, uint8_t* to, size_t pixels)
{
    for (size_t i = 0; i < 3 * pixels; ++i)
        to[i] = Mean(from[i + i / 3 * 3], from[i + i / 3 * 3 + 3]);
}

using PairsRowFn = void (*)(const uint8_t*, uint8_t*, size_t);

#if defined(__x86_64__) || defined(__i386__)
// Two output pixels from the four at p, in bytes 0 to 5: the 16-byte load
// averaged with itself three bytes on holds them at bytes 0-2 and 6-8.
__attribute__((target("ssse3"))) inline __m128i TwoPairs(const uint8_t* p)
{
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i pack = _mm_setr_epi8(0, 1, 2, 6, 7, 8, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1);
    return _mm_shuffle_epi8(_mm_avg_epu8(v, _mm_srli_si128(v, 3)), pack);
}

// Eight output pixels from sixteen, four loads of two. The last load reads 4
// bytes past the sixteen pixels, so the loop stops a pair short of the end.
__attribute__((target("ssse3"))) void PairsRowSsse3(const uint8_t* from, uint8_t* to, size_t pixels)
{
    size_t x = 0;
    for (; x + 9 <= pixels; x += 8, from += 48, to += 24) {
        const __m128i a = _mm_or_si128(TwoPairs(from), _mm_slli_si128(TwoPairs(from + 12), 6));
        const __m128i b = _mm_or_si128(TwoPairs(from + 24), _mm_slli_si128(TwoPairs(from + 36), 6));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to), _mm_or_si128(a, _mm_slli_si128(b, 12)));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(to + 16), _mm_srli_si128(b, 4));
    }
    PairsRow(from, to, pixels - x);
}

PairsRowFn FastPairsRow()
{
    static const PairsRowFn fn = __builtin_cpu_supports("ssse3") ? PairsRowSsse3 : PairsRow;
    return fn;
}

// Bytes of two rows averaged, sixteen at a time (SSE2 is every x86-64's).
void MeanRows(const uint8_t* a, const uint8_t* b, uint8_t* to, size_t bytes)
{
    size_t i = 0;
    for (; i + 16 <= bytes; i += 16)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to + i),
                         _mm_avg_epu8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i)),
                                      _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i))));
    for (; i < bytes; ++i)
        to[i] = Mean(a[i], b[i]);
}
#else
PairsRowFn FastPairsRow() { return PairsRow; }

void MeanRows(const uint8_t* a, const uint8_t* b, uint8_t* to, size_t bytes)
{
    for (size_t i = 0; i < bytes; ++i)
        to[i] = Mean(a[i], b[i]);
}
#endif

bool SqueezedBlockFits(const Picture& colour, int64_t width, int64_t height, Span rows, Span cols,
                       const FrameView& frame)
{
    return colour.data && colour.bytesPerPixel == 3 && FrameFits(frame) && InsideBoth(rows, height, frame.height) &&
           InsideBoth(cols, width, frame.width);
}

}  // namespace

void CopyHalfColumns(const Picture& colour, Span rows, Span cols, const FrameView& frame)
{
    if (!SqueezedBlockFits(colour, HalfSize(colour.width), colour.height, rows, cols, frame))
        return;
    // The pairs that have both columns; an odd width's last column stands alone.
    const int64_t pairs = std::min(cols.count, colour.width / 2 - cols.src);
    const PairsRowFn pairsRow = FastPairsRow();
    for (int64_t r = 0; r < rows.count; ++r) {
        const uint8_t* from = colour.row(int(rows.src + r)) + size_t(cols.src) * 6;
        uint8_t* to = frame.row(int(rows.dst + r)) + size_t(cols.dst) * 3;
        pairsRow(from, to, size_t(pairs));
        if (pairs < cols.count)
            std::copy_n(from + 6 * pairs, 3, to + 3 * pairs);
    }
}

void CopyHalfRows(const Picture& colour, Span rows, Span cols, const FrameView& frame)
{
    if (!SqueezedBlockFits(colour, colour.width, HalfSize(colour.height), rows, cols, frame))
        return;
    // Squeezed row q (from the bottom) is picture rows 2q + e − 1 and 2q + e,
    // e = 1 for an even height; row −1 is none, the odd bottom row alone.
    const int64_t e = 1 - (colour.height & 1);
    const size_t bytes = size_t(cols.count) * 3;
    for (int64_t r = 0; r < rows.count; ++r) {
        const int64_t upper = 2 * (rows.src + r) + e;
        const uint8_t* a = colour.row(int(upper)) + size_t(cols.src) * 3;
        uint8_t* to = frame.row(int(rows.dst + r)) + size_t(cols.dst) * 3;
        if (upper == 0)
            std::copy_n(a, bytes, to);
        else
            MeanRows(a, colour.row(int(upper - 1)) + size_t(cols.src) * 3, to, bytes);
    }
}

}  // namespace plexo
