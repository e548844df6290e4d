#include "present/screen_rows.h"

#include <algorithm>
#include <cstring>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace plexo {

namespace {

using RowFn = void (*)(const uint8_t* in, uint8_t* out, size_t pixels);

void BgrRowToXrgb(const uint8_t* in, uint8_t* out, size_t pixels)
{
    for (size_t x = 0; x < pixels; ++x, in += 3, out += 4) {
        const uint32_t pixel = 0xff000000u | uint32_t(in[2]) << 16 | uint32_t(in[1]) << 8 | in[0];
        std::memcpy(out, &pixel, 4);
    }
}

#if defined(__x86_64__) || defined(__i386__)
// Sixteen pixels at a time: three 16-byte loads give four groups of four
// 3-byte pixels (the middle two straddle loads and are joined with alignr),
// a byte shuffle opens each pixel to four bytes and an or sets the fourth.
__attribute__((target("ssse3"))) void BgrRowToXrgbSsse3(const uint8_t* in, uint8_t* out, size_t pixels)
{
    const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    const __m128i opaque = _mm_set1_epi32(int(0xff000000u));
    size_t x = 0;
    for (; x + 16 <= pixels; x += 16, in += 48, out += 64) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 16));
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 32));
        const __m128i groups[4] = {a, _mm_alignr_epi8(b, a, 12), _mm_alignr_epi8(c, b, 8), _mm_srli_si128(c, 4)};
        for (int g = 0; g < 4; ++g)
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16 * g),
                             _mm_or_si128(_mm_shuffle_epi8(groups[g], spread), opaque));
    }
    BgrRowToXrgb(in, out, pixels - x);
}

// The same with one byte permute: sixteen pixels from one 48-byte load,
// masked so that it reads nothing beyond them; the fourth byte of each pixel
// is not permuted and keeps the opaque value.
__attribute__((target("avx512f,avx512bw,avx512vbmi"))) void BgrRowToXrgbVbmi(const uint8_t* in, uint8_t* out,
                                                                            size_t pixels)
{
    alignas(64) static constexpr uint8_t kSpread[64] = {
        0,  1,  2,  0, 3,  4,  5,  0, 6,  7,  8,  0, 9,  10, 11, 0, 12, 13, 14, 0, 15, 16, 17, 0,
        18, 19, 20, 0, 21, 22, 23, 0, 24, 25, 26, 0, 27, 28, 29, 0, 30, 31, 32, 0, 33, 34, 35, 0,
        36, 37, 38, 0, 39, 40, 41, 0, 42, 43, 44, 0, 45, 46, 47, 0};
    const __m512i spread = _mm512_load_si512(kSpread);
    const __m512i opaque = _mm512_set1_epi32(int(0xff000000u));
    constexpr __mmask64 kColourBytes = 0x7777777777777777ull;
    constexpr __mmask64 kSixteenPixels = (__mmask64(1) << 48) - 1;
    size_t x = 0;
    for (; x + 16 <= pixels; x += 16, in += 48, out += 64) {
        const __m512i bgr = _mm512_maskz_loadu_epi8(kSixteenPixels, in);
        _mm512_storeu_si512(out, _mm512_mask_permutexvar_epi8(opaque, kColourBytes, spread, bgr));
    }
    BgrRowToXrgbSsse3(in, out, pixels - x);
}

RowFn FastRow()
{
    static const RowFn fn = __builtin_cpu_supports("avx512vbmi") && __builtin_cpu_supports("avx512bw")
                                ? BgrRowToXrgbVbmi
                            : __builtin_cpu_supports("ssse3") ? BgrRowToXrgbSsse3
                                                              : BgrRowToXrgb;
    return fn;
}
#else
RowFn FastRow() { return BgrRowToXrgb; }
#endif

bool Fits(const Picture& frame, const ScreenRows& screen)
{
    return frame && frame.bytesPerPixel == 3 && screen.data && screen.width >= 0 && screen.height >= 0 &&
           screen.stride >= size_t(screen.width) * 4;
}

void Convert(const Picture& frame, const ScreenRows& screen, RowFn row)
{
    if (!Fits(frame, screen))
        return;
    const int width = std::min(frame.width, screen.width);
    const int height = std::min(frame.height, screen.height);
    for (int y = 0; y < height; ++y)
        // Screen row y is frame row (height - 1 - y) counted from the bottom.
        row(frame.row(frame.height - 1 - y), screen.data + size_t(y) * screen.stride, size_t(width));
}

// Each pair of neighbouring 32-bit pixels averaged into one, byte by byte,
// rounding up as the vector average does.
void HalveRow(const uint8_t* in, uint8_t* out, size_t pixels)
{
    for (size_t x = 0; x < pixels; ++x, in += 8, out += 4)
        for (int byte = 0; byte < 4; ++byte)
            out[byte] = uint8_t((in[byte] + in[byte + 4] + 1) >> 1);
}

#if defined(__x86_64__) || defined(__i386__)
// Four pixels from eight: the even and the odd pixels of two loads gathered
// by a float shuffle, then averaged.
void HalveRowSse2(const uint8_t* in, uint8_t* out, size_t pixels)
{
    size_t x = 0;
    for (; x + 4 <= pixels; x += 4, in += 32, out += 16) {
        const __m128 a = _mm_castsi128_ps(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in)));
        const __m128 b = _mm_castsi128_ps(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 16)));
        const __m128i even = _mm_castps_si128(_mm_shuffle_ps(a, b, _MM_SHUFFLE(2, 0, 2, 0)));
        const __m128i odd = _mm_castps_si128(_mm_shuffle_ps(a, b, _MM_SHUFFLE(3, 1, 3, 1)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_avg_epu8(even, odd));
    }
    HalveRow(in, out, pixels - x);
}
RowFn FastHalve() { return HalveRowSse2; }
#else
RowFn FastHalve() { return HalveRow; }
#endif

// The two frame rows of each screen row averaged, turned to 32 bits with
// `row`, and their pixels averaged in pairs with `halve`.
void ConvertHalved(const Picture& frame, const ScreenRows& screen, RowFn row, RowFn halve)
{
    if (!Fits(frame, screen))
        return;
    const int width = std::min(frame.width / 2, screen.width);
    const int height = std::min(frame.height / 2, screen.height);
    std::vector<uint8_t> both(size_t(width) * 6), wide(size_t(width) * 8);
    for (int y = 0; y < height; ++y) {
        const uint8_t* upper = frame.row(frame.height - 1 - 2 * y);
        const uint8_t* lower = frame.row(frame.height - 2 - 2 * y);
        for (size_t i = 0; i < both.size(); ++i)
            both[i] = uint8_t((upper[i] + lower[i] + 1) >> 1);
        row(both.data(), wide.data(), size_t(width) * 2);
        halve(wide.data(), screen.data + size_t(y) * screen.stride, size_t(width));
    }
}

}  // namespace

void FrameToScreenRowsHalved(const Picture& frame, const ScreenRows& screen)
{
    ConvertHalved(frame, screen, FastRow(), FastHalve());
}

void FrameToScreenRowsHalvedReference(const Picture& frame, const ScreenRows& screen)
{
    ConvertHalved(frame, screen, BgrRowToXrgb, HalveRow);
}

void FrameToScreenRows(const Picture& frame, const ScreenRows& screen)
{
    Convert(frame, screen, FastRow());
}

void FrameToScreenRowsReference(const Picture& frame, const ScreenRows& screen)
{
    Convert(frame, screen, BgrRowToXrgb);
}

}  // namespace plexo
