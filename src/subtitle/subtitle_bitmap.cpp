#include "subtitle/subtitle_bitmap.h"

#include <algorithm>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace plexo::subtitle {

SubtitleBitmap ClearBitmap(int x, int y, int width, int height)
{
    if (width < 1 || height < 1)
        return {};
    SubtitleBitmap bitmap{x, y, width, height, {}};
    bitmap.bgra.assign(size_t(width) * size_t(height) * 4, 0);
    return bitmap;
}

namespace {

// dst × (255 − a) / 255 + src, rounded, for premultiplied src.
inline uint8_t Over(uint8_t dst, uint8_t src, uint8_t a)
{
    return uint8_t(std::min(255, src + (dst * (255 - a) + 127) / 255));
}

// `count` premultiplied pixels over as many colour pixels, one at a time.
void OverColour(const uint8_t* from, uint8_t* d, size_t count)
{
    for (size_t i = 0; i < count; ++i, from += 4, d += 3) {
        const uint8_t a = from[3];
        if (a == 0)
            continue;
        if (a == 255) {
            d[0] = from[0];
            d[1] = from[1];
            d[2] = from[2];
            continue;
        }
        d[0] = Over(d[0], from[0], a);
        d[1] = Over(d[1], from[1], a);
        d[2] = Over(d[2], from[2], a);
    }
}

using OverFn = void (*)(const uint8_t*, uint8_t*, size_t);

#if defined(__x86_64__) || defined(__i386__)
// Four pixels at a time in 16-bit lanes, by the same rule for every
// coverage (a clear pixel keeps the eye's bytes, a covering one takes the
// subtitle's): the division by 255 of t = dst × (255 − a) + 127 is
// (t + 1 + (t >> 8)) >> 8, exact for every t the rule makes, and the sum
// saturates as the rule's min does. Clear runs of four are passed over. The
// eye's 12 bytes are read as 16 while two more pixels follow in the row.
__attribute__((target("ssse3"))) void OverColourSsse3(const uint8_t* from, uint8_t* d, size_t count)
{
    const __m128i open = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    const __m128i close = _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
    const __m128i alphas = _mm_setr_epi8(3, 3, 3, -1, 7, 7, 7, -1, 11, 11, 11, -1, 15, 15, 15, -1);
    const __m128i alphaBytes = _mm_set1_epi32(int32_t(0xFF000000u));
    const __m128i zero = _mm_setzero_si128(), full = _mm_set1_epi16(255), round = _mm_set1_epi16(127);
    const __m128i one = _mm_set1_epi16(1);
    size_t i = 0;
    for (; i + 6 <= count; i += 4, from += 16, d += 12) {
        const __m128i src = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
        if (_mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(src, alphaBytes), zero)) == 0xFFFF)
            continue;
        const __m128i dst = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(d)), open);
        const __m128i a = _mm_shuffle_epi8(src, alphas);
        __m128i half[2];
        for (int h = 0; h < 2; ++h) {
            const __m128i dh = h == 0 ? _mm_unpacklo_epi8(dst, zero) : _mm_unpackhi_epi8(dst, zero);
            const __m128i ah = h == 0 ? _mm_unpacklo_epi8(a, zero) : _mm_unpackhi_epi8(a, zero);
            const __m128i sh = h == 0 ? _mm_unpacklo_epi8(src, zero) : _mm_unpackhi_epi8(src, zero);
            const __m128i t = _mm_add_epi16(_mm_mullo_epi16(dh, _mm_sub_epi16(full, ah)), round);
            const __m128i q = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(t, one), _mm_srli_epi16(t, 8)), 8);
            half[h] = _mm_add_epi16(q, sh);
        }
        const __m128i out = _mm_shuffle_epi8(_mm_packus_epi16(half[0], half[1]), close);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(d), out);
        const int32_t last = _mm_cvtsi128_si32(_mm_srli_si128(out, 8));
        std::memcpy(d + 8, &last, 4);
    }
    OverColour(from, d, count - i);
}

OverFn FastOverColour()
{
    static const OverFn fn = __builtin_cpu_supports("ssse3") ? OverColourSsse3 : OverColour;
    return fn;
}
#else
OverFn FastOverColour() { return OverColour; }
#endif

}  // namespace

void DrawBitmap(const SubtitleBitmap& bitmap, int shift, const Picture& into)
{
    if (bitmap.empty() || !into || (into.bytesPerPixel != 1 && into.bytesPerPixel != 3))
        return;
    const int64_t left = std::max<int64_t>(0, int64_t(bitmap.x) + shift);
    const int64_t right = std::min<int64_t>(into.width, int64_t(bitmap.x) + shift + bitmap.width);
    const int top = std::max(0, bitmap.y);
    const int bottom = std::min(into.height, bitmap.y + bitmap.height);
    if (left >= right)
        return;
    const size_t count = size_t(right - left);
    const OverFn overColour = FastOverColour();
    for (int y = top; y < bottom; ++y) {
        // The picture's rows run bottom first.
        uint8_t* row = const_cast<uint8_t*>(into.row(into.height - 1 - y));
        const uint8_t* from = bitmap.pixel(int(left - shift - bitmap.x), y - bitmap.y);
        if (into.bytesPerPixel == 3) {
            overColour(from, row + left * 3, count);
            continue;
        }
        for (int64_t x = left; x < right; ++x, from += 4)
            if (const uint8_t a = from[3]; a != 0)
                row[x] = Over(row[x], uint8_t((from[0] * 29 + from[1] * 150 + from[2] * 77 + 128) >> 8), a);
    }
}

}  // namespace plexo::subtitle
