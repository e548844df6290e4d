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

GreyFn FastGrey()
{
    static const GreyFn fn = __builtin_cpu_supports("avx2")    ? ColourToGreyAvx2
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
    constexpr size_t kBlockPixels = size_t(1) << 15;  // 96 KiB of colour
    const std::unique_ptr<uint8_t[]> block(new (std::nothrow) uint8_t[kBlockPixels * 3]);
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

}  // namespace plexo
