#include "present/anaglyph.h"

#include <algorithm>

#include "present/frame_copy.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace plexo {

namespace {

// The matrix in the frame's byte order and 2.14 fixed point: out blue, green,
// red from the first eye's blue, green, red and the second's.
struct Weights {
    int16_t k[3][6];
};

Weights WeightsOf(const AnaglyphMatrix& matrix)
{
    Weights w{};
    for (int out = 0; out < 3; ++out)
        for (int in = 0; in < 6; ++in) {
            const int32_t c = matrix.coeff[2 - out][in < 3 ? 2 - in : 8 - in];
            w.k[out][in] = int16_t(c >= 0 ? (c + 2) / 4 : -((2 - c) / 4));
        }
    return w;
}

// `second` is null where the second eye has no pixels.
void MixRow(uint8_t* to, const uint8_t* second, size_t pixels, const Weights& w)
{
    for (size_t x = 0; x < pixels; ++x, to += 3) {
        const int v[6] = {to[0], to[1], to[2], second ? second[3 * x] : 0, second ? second[3 * x + 1] : 0,
                          second ? second[3 * x + 2] : 0};
        for (int out = 0; out < 3; ++out) {
            int sum = 8192;
            for (int in = 0; in < 6; ++in)
                sum += w.k[out][in] * v[in];
            to[out] = uint8_t(std::clamp(sum >> 14, 0, 255));
        }
    }
}

using MixRowFn = void (*)(uint8_t*, const uint8_t*, size_t, const Weights&);

#if defined(__x86_64__) || defined(__i386__)
// Two weights of one output channel as the 16-bit halves of a multiply-add's
// 32-bit lane: inputs 2·pair below, 2·pair + 1 above.
int32_t PairOf(const Weights& w, int out, int pair)
{
    return int32_t(uint32_t(uint16_t(w.k[out][2 * pair])) | uint32_t(uint16_t(w.k[out][2 * pair + 1])) << 16);
}

__attribute__((target("avx2"))) inline __m256i Lanes(__m128i v) { return _mm256_broadcastsi128_si256(v); }

// Pixels 0-3 into the low lane, 4-7 into the high one.
__attribute__((target("avx2"))) inline __m256i LoadEight(const uint8_t* p)
{
    return _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))),
                                   _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 12)), 1);
}

// Eight pixels at a time, four in each 128-bit lane. Byte shuffles open each
// pixel's six input bytes into three 32-bit pairs of 16-bit values (first
// blue and green, first red and second blue, second green and red), so that
// one multiply-add per pair and output channel sums two products; the sums
// are rounded, shifted, narrowed with saturation (the clamp) and shuffled
// back to three bytes a pixel. Each lane is loaded from its own 12 bytes, so
// a row is never read past its end.
__attribute__((target("avx2"))) void MixRowAvx2(uint8_t* to, const uint8_t* second, size_t pixels,
                                                const Weights& w)
{
    const __m256i firstBlueGreen = Lanes(_mm_setr_epi8(0, -1, 1, -1, 3, -1, 4, -1, 6, -1, 7, -1, 9, -1, 10, -1));
    const __m256i firstRed = Lanes(_mm_setr_epi8(2, -1, -1, -1, 5, -1, -1, -1, 8, -1, -1, -1, 11, -1, -1, -1));
    const __m256i secondBlue = Lanes(_mm_setr_epi8(-1, -1, 0, -1, -1, -1, 3, -1, -1, -1, 6, -1, -1, -1, 9, -1));
    const __m256i secondGreenRed = Lanes(_mm_setr_epi8(1, -1, 2, -1, 4, -1, 5, -1, 7, -1, 8, -1, 10, -1, 11, -1));
    const __m256i interleave = Lanes(_mm_setr_epi8(0, 4, 8, 1, 5, 9, 2, 6, 10, 3, 7, 11, -1, -1, -1, -1));
    // Both lanes' twelve bytes into the first 24.
    const __m256i join = _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 3, 7);
    const __m256i round = _mm256_set1_epi32(8192);
    __m256i weights[3][3];
    for (int out = 0; out < 3; ++out)
        for (int pair = 0; pair < 3; ++pair)
            weights[out][pair] = _mm256_set1_epi32(PairOf(w, out, pair));
    size_t x = 0;
    for (; x + 10 <= pixels; x += 8) {
        uint8_t* at = to + 3 * x;
        const __m256i first = LoadEight(at);
        const __m256i pairs0 = _mm256_shuffle_epi8(first, firstBlueGreen);
        __m256i pairs1 = _mm256_shuffle_epi8(first, firstRed);
        __m256i pairs2 = _mm256_setzero_si256();
        if (second) {
            const __m256i other = LoadEight(second + 3 * x);
            pairs1 = _mm256_or_si256(pairs1, _mm256_shuffle_epi8(other, secondBlue));
            pairs2 = _mm256_shuffle_epi8(other, secondGreenRed);
        }
        __m256i sums[3];
        for (int out = 0; out < 3; ++out) {
            const __m256i a = _mm256_add_epi32(_mm256_madd_epi16(pairs0, weights[out][0]),
                                               _mm256_madd_epi16(pairs1, weights[out][1]));
            const __m256i b = _mm256_add_epi32(_mm256_madd_epi16(pairs2, weights[out][2]), round);
            sums[out] = _mm256_srai_epi32(_mm256_add_epi32(a, b), 14);
        }
        // Per lane: blue 0-3, green 0-3, red 0-3 (twice), each clamped to a byte.
        const __m256i bytes = _mm256_packus_epi16(_mm256_packs_epi32(sums[0], sums[1]),
                                                  _mm256_packs_epi32(sums[2], sums[2]));
        // Exactly the 24 bytes: a store reaching into the next pixels would
        // stall their load, which would have to wait for it.
        const __m256i mixed = _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(bytes, interleave), join);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(at), _mm256_castsi256_si128(mixed));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(at + 16), _mm256_extracti128_si256(mixed, 1));
    }
    MixRow(to + 3 * x, second ? second + 3 * x : nullptr, pixels - x, w);
}

// Byte indices for a permute: byte 4i takes byte lo + 3i, byte 4i + 2 byte
// hi + 3i, for the sixteen pixels (an index from 64 on names the second
// source of a two-source permute).
struct PairIndex {
    alignas(64) uint8_t at[64];
};
constexpr PairIndex PairsFrom(int lo, int hi)
{
    PairIndex p{};
    for (int i = 0; i < 16; ++i) {
        p.at[4 * i] = uint8_t(lo + 3 * i);
        p.at[4 * i + 2] = uint8_t(hi + 3 * i);
    }
    return p;
}

// Byte 3i + c of the result from lane i / 4, byte 4c + i % 4, of the packed
// sums (blue 0-3, green 0-3, red 0-3 in each lane).
constexpr PairIndex Interleaved()
{
    PairIndex p{};
    for (int i = 0; i < 16; ++i)
        for (int c = 0; c < 3; ++c)
            p.at[3 * i + c] = uint8_t(16 * (i / 4) + 4 * c + i % 4);
    return p;
}

// The AVX2 pass on sixteen pixels at a time, each 48-byte run loaded under a
// mask, whole pixels only. The byte permutes build the 16-bit
// pairs across the whole register straight from the loads, and put the
// packed bytes back in pixel order.
__attribute__((target("avx512f,avx512bw,avx512vbmi"))) void MixRowVbmi(uint8_t* to, const uint8_t* second,
                                                                      size_t pixels, const Weights& w)
{
    static constexpr PairIndex kFirstBlueGreen = PairsFrom(0, 1), kFirstRedSecondBlue = PairsFrom(2, 64),
                               kGreenRed = PairsFrom(1, 2), kInterleave = Interleaved();
    constexpr __mmask64 kPairBytes = 0x5555555555555555ull;
    constexpr __mmask64 kSixteenPixels = (__mmask64(1) << 48) - 1;
    // The zero-masking forms: GCC 12 warns of the others' undefined start.
    constexpr __mmask16 kAllLanes = 0xFFFF;
    const __m512i firstBlueGreen = _mm512_load_si512(kFirstBlueGreen.at);
    const __m512i firstRedSecondBlue = _mm512_load_si512(kFirstRedSecondBlue.at);
    const __m512i greenRed = _mm512_load_si512(kGreenRed.at);
    const __m512i interleave = _mm512_load_si512(kInterleave.at);
    const __m512i round = _mm512_set1_epi32(8192);
    __m512i weights[3][3];
    for (int out = 0; out < 3; ++out)
        for (int pair = 0; pair < 3; ++pair)
            weights[out][pair] = _mm512_set1_epi32(PairOf(w, out, pair));
    size_t x = 0;
    for (; x + 16 <= pixels; x += 16) {
        uint8_t* at = to + 3 * x;
        const __m512i first = _mm512_maskz_loadu_epi8(kSixteenPixels, at);
        const __m512i other =
            second ? _mm512_maskz_loadu_epi8(kSixteenPixels, second + 3 * x) : _mm512_setzero_si512();
        const __m512i pairs0 = _mm512_maskz_permutexvar_epi8(kPairBytes, firstBlueGreen, first);
        const __m512i pairs1 = _mm512_maskz_permutex2var_epi8(kPairBytes, first, firstRedSecondBlue, other);
        const __m512i pairs2 = _mm512_maskz_permutexvar_epi8(kPairBytes, greenRed, other);
        __m512i sums[3];
        for (int out = 0; out < 3; ++out) {
            const __m512i a = _mm512_add_epi32(_mm512_madd_epi16(pairs0, weights[out][0]),
                                               _mm512_madd_epi16(pairs1, weights[out][1]));
            const __m512i b = _mm512_add_epi32(_mm512_madd_epi16(pairs2, weights[out][2]), round);
            sums[out] = _mm512_maskz_srai_epi32(kAllLanes, _mm512_add_epi32(a, b), 14);
        }
        const __m512i bytes = _mm512_packus_epi16(_mm512_packs_epi32(sums[0], sums[1]),
                                                  _mm512_packs_epi32(sums[2], sums[2]));
        const __m512i mixed = _mm512_maskz_permutexvar_epi8(kSixteenPixels, interleave, bytes);
        // Exactly the 48 bytes, unmasked: the next load would wait for a
        // masked store as wide as the register.
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(at), _mm512_maskz_extracti64x4_epi64(0xF, mixed, 0));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(at + 32), _mm512_maskz_extracti32x4_epi32(0xF, mixed, 2));
    }
    MixRowAvx2(to + 3 * x, second ? second + 3 * x : nullptr, pixels - x, w);
}

MixRowFn FastMixRow()
{
    static const MixRowFn fn = __builtin_cpu_supports("avx512vbmi") && __builtin_cpu_supports("avx512bw")
                                   ? MixRowVbmi
                               : __builtin_cpu_supports("avx2") ? MixRowAvx2
                                                                : MixRow;
    return fn;
}
#else
MixRowFn FastMixRow() { return MixRow; }
#endif

void Mix(const AnaglyphMatrix& matrix, const Picture& second, Span rows, Span cols, int64_t width,
         const FrameView& frame, MixRowFn mixRow)
{
    if (!FrameFits(frame) || width <= 0 || width > frame.width)
        return;
    const bool hasSecond = BlockFits(second, 3, rows, cols, frame) && cols.dst + cols.count <= width;
    const Weights w = WeightsOf(matrix);
    for (int r = 0; r < frame.height; ++r) {
        uint8_t* row = frame.row(r);
        if (!hasSecond || r < rows.dst || r >= rows.dst + rows.count) {
            mixRow(row, nullptr, size_t(width), w);
            continue;
        }
        const size_t left = size_t(cols.dst), right = size_t(cols.dst + cols.count);
        mixRow(row, nullptr, left, w);
        mixRow(row + 3 * left, second.row(int(rows.src + r - rows.dst)) + 3 * size_t(cols.src), size_t(cols.count),
               w);
        mixRow(row + 3 * right, nullptr, size_t(width) - right, w);
    }
}

}  // namespace

void MixAnaglyph(const AnaglyphMatrix& matrix, const Picture& second, Span rows, Span cols, int64_t width,
                 const FrameView& frame)
{
    Mix(matrix, second, rows, cols, width, frame, FastMixRow());
}

void MixAnaglyphReference(const AnaglyphMatrix& matrix, const Picture& second, Span rows, Span cols,
                          int64_t width, const FrameView& frame)
{
    Mix(matrix, second, rows, cols, width, frame, MixRow);
}

}  // namespace plexo
