#include "film/grey_pixels.h"

#include <algorithm>
#include <memory>
#include <new>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace plexo {

namespace {

using GreyFn = void (*)(const uint8_t*, uint8_t*, size_t);

#if defined(__x86_64__) || defined(__i386__)
// Sixteen pixels at a time, four from each 16-byte load: a byte shuffle
// opens every pixel to four bytes (blue, green, red, 0), two multiply-adds by
// ones sum each pixel's bytes into 32 bits, and the division by 3 is a
// multiplication by 0xAAAB and a shift by 17, exact for every sum below
// 2^16. The fourth load starts 4 bytes early, so no load reads past the 48
// bytes of the sixteen pixels.
__attribute__((target("ssse3"))) __m128i PixelSums(const uint8_t* at, __m128i mask)
{
    const __m128i pixel = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at)), mask);
    return _mm_madd_epi16(_mm_maddubs_epi16(pixel, _mm_set1_epi8(1)), _mm_set1_epi16(1));
}

__attribute__((target("ssse3"))) void ColourToGreySsse3(const uint8_t* bgr, uint8_t* grey, size_t pixels)
{
    const __m128i open = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    const __m128i openLast = _mm_setr_epi8(4, 5, 6, -1, 7, 8, 9, -1, 10, 11, 12, -1, 13, 14, 15, -1);
    const __m128i one = _mm_set1_epi16(1);
    const __m128i third = _mm_set1_epi16(short(0xAAAB));
    size_t x = 0;
    for (; x + 16 <= pixels; x += 16, bgr += 48, grey += 16) {
        __m128i low = _mm_packs_epi32(PixelSums(bgr, open), PixelSums(bgr + 12, open));
        __m128i high = _mm_packs_epi32(PixelSums(bgr + 24, open), PixelSums(bgr + 32, openLast));
        low = _mm_srli_epi16(_mm_mulhi_epu16(_mm_add_epi16(low, one), third), 1);
        high = _mm_srli_epi16(_mm_mulhi_epu16(_mm_add_epi16(high, one), third), 1);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(grey), _mm_packus_epi16(low, high));
    }
    ColourToGreyReference(bgr, grey, pixels - x);
}

// The same on 32 pixels: each 128-bit lane of the 256-bit vectors takes the
// place of one 16-byte load, the second lane 48 bytes (sixteen pixels) on.
// The lane-wise packs then leave the 32 results in order.
__attribute__((target("avx2"))) __m256i PixelSums2(const uint8_t* at, __m256i mask)
{
    const __m256i two = _mm256_inserti128_si256(
        _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at))),
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 48)), 1);
    return _mm256_madd_epi16(_mm256_maddubs_epi16(_mm256_shuffle_epi8(two, mask), _mm256_set1_epi8(1)),
                             _mm256_set1_epi16(1));
}

__attribute__((target("avx2"))) void ColourToGreyAvx2(const uint8_t* bgr, uint8_t* grey, size_t pixels)
{
    const __m256i open =
        _mm256_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1, 0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1,
                         9, 10, 11, -1);
    const __m256i openLast = _mm256_setr_epi8(4, 5, 6, -1, 7, 8, 9, -1, 10, 11, 12, -1, 13, 14, 15, -1, 4, 5, 6, -1,
                                              7, 8, 9, -1, 10, 11, 12, -1, 13, 14, 15, -1);
    const __m256i one = _mm256_set1_epi16(1);
    const __m256i third = _mm256_set1_epi16(short(0xAAAB));
    size_t x = 0;
    for (; x + 32 <= pixels; x += 32, bgr += 96, grey += 32) {
        __m256i low = _mm256_packs_epi32(PixelSums2(bgr, open), PixelSums2(bgr + 12, open));
        __m256i high = _mm256_packs_epi32(PixelSums2(bgr + 24, open), PixelSums2(bgr + 32, openLast));
        low = _mm256_srli_epi16(_mm256_mulhi_epu16(_mm256_add_epi16(low, one), third), 1);
        high = _mm256_srli_epi16(_mm256_mulhi_epu16(_mm256_add_epi16(high, one), third), 1);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(grey), _mm256_packus_epi16(low, high));
    }
    // The rest goes through the 16-pixel version, so both are exercised.
    ColourToGreySsse3(bgr, grey, pixels - x);
}

// 64 pixels from three 64-byte loads: byte permutes across the three
// gather the blue, green and red planes, which are widened, summed and divided
// as above. The lane-wise unpacks and the pack cancel out, so the results
// stay in order.
struct PlaneIndices {
    uint8_t low[3][64];   // where each plane's byte lies in the first 128 bytes
    uint8_t high[3][64];  // and in the last 64
    uint64_t fromHigh[3];
};

constexpr PlaneIndices MakePlaneIndices()
{
    PlaneIndices p{};
    for (int c = 0; c < 3; ++c)
        for (int i = 0; i < 64; ++i) {
            const int at = 3 * i + c;
            p.low[c][i] = uint8_t(at & 127);
            p.high[c][i] = uint8_t(at & 63);
            if (at >= 128)
                p.fromHigh[c] |= uint64_t(1) << i;
        }
    return p;
}

alignas(64) constexpr PlaneIndices kPlanes = MakePlaneIndices();

__attribute__((target("avx512f,avx512bw,avx512vbmi"))) void ColourToGreyVbmi(const uint8_t* bgr, uint8_t* grey,
                                                                            size_t pixels)
{
    __m512i low[3], high[3];
    for (int c = 0; c < 3; ++c) {
        low[c] = _mm512_load_si512(kPlanes.low[c]);
        high[c] = _mm512_load_si512(kPlanes.high[c]);
    }
    const __m512i zero = _mm512_setzero_si512();
    const __m512i one = _mm512_set1_epi16(1);
    const __m512i third = _mm512_set1_epi16(short(0xAAAB));
    size_t x = 0;
    for (; x + 64 <= pixels; x += 64, bgr += 192, grey += 64) {
        const __m512i a = _mm512_loadu_si512(bgr);
        const __m512i b = _mm512_loadu_si512(bgr + 64);
        const __m512i c = _mm512_loadu_si512(bgr + 128);
        __m512i sumLow = one, sumHigh = one;
        for (int k = 0; k < 3; ++k) {
            const __m512i plane = _mm512_mask_permutexvar_epi8(_mm512_permutex2var_epi8(a, low[k], b),
                                                               kPlanes.fromHigh[k], high[k], c);
            sumLow = _mm512_add_epi16(sumLow, _mm512_unpacklo_epi8(plane, zero));
            sumHigh = _mm512_add_epi16(sumHigh, _mm512_unpackhi_epi8(plane, zero));
        }
        sumLow = _mm512_srli_epi16(_mm512_mulhi_epu16(sumLow, third), 1);
        sumHigh = _mm512_srli_epi16(_mm512_mulhi_epu16(sumHigh, third), 1);
        _mm512_storeu_si512(grey, _mm512_packus_epi16(sumLow, sumHigh));
    }
    ColourToGreyAvx2(bgr, grey, pixels - x);
}

GreyFn FastGrey()
{
    static const GreyFn fn = __builtin_cpu_supports("avx512vbmi") && __builtin_cpu_supports("avx512bw")
                                 ? ColourToGreyVbmi
                             : __builtin_cpu_supports("avx2") ? ColourToGreyAvx2
                             : __builtin_cpu_supports("ssse3") ? ColourToGreySsse3
                                                               : ColourToGreyReference;
    return fn;
}
#else
GreyFn FastGrey() { return ColourToGreyReference; }
#endif

}  // namespace

void ColourToGrey(const uint8_t* bgr, uint8_t* grey, size_t pixels)
{
    FastGrey()(bgr, grey, pixels);
}

bool ReadColourAsGrey(const InputFile& file, int64_t offset, uint8_t* grey, size_t pixels)
{
    // 384 KiB of colour: small enough to stay in the second-level cache
    // until it is turned grey, large enough that the reads' system calls
    // (a few microseconds each on a virtual machine) stay few.
    constexpr size_t kBlockPixels = size_t(1) << 17;
    // Kept by each thread from frame to frame: a block freshly allocated for
    // every frame costs as much again as turning it grey.
    thread_local const std::unique_ptr<uint8_t[]> block(new (std::nothrow) uint8_t[kBlockPixels * 3]);
    if (!block)
        return false;
    for (size_t done = 0; done < pixels;) {
        const size_t n = std::min(kBlockPixels, pixels - done);
        if (!file.ReadAt(offset + int64_t(done) * 3, block.get(), n * 3))
            return false;
        ColourToGrey(block.get(), grey + done, n);
        done += n;
    }
    return true;
}

void ColourToGreyReference(const uint8_t* bgr, uint8_t* grey, size_t pixels)
{
    for (size_t i = 0; i < pixels; ++i, bgr += 3)
        grey[i] = uint8_t((bgr[0] + bgr[1] + bgr[2] + 1) / 3);
}

PictureBuffer GreyCopyOf(const Picture& colour)
{
    PictureBuffer grey = PictureBuffer::allocate(colour.width, colour.height, 1);
    if (!grey)
        return {};
    for (int r = 0; r < colour.height; ++r)
        ColourToGrey(colour.row(r), grey.row(r), size_t(colour.width));
    return grey;
}

}  // namespace plexo
