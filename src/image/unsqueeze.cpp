#include "image/unsqueeze.h"

#include <algorithm>
#include <cstring>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace plexo {

namespace {

constexpr size_t kPixel = 3;

using InterleaveFn = void (*)(const uint8_t* left, const uint8_t* right, uint8_t* out, size_t width);

// Pixel x of `left` becomes pixel 2x of `out` and pixel x of `right` pixel
// 2x + 1.
void Interleave(const uint8_t* left, const uint8_t* right, uint8_t* out, size_t width)
{
    for (size_t x = 0; x < width; ++x, left += kPixel, right += kPixel, out += 2 * kPixel) {
        std::memcpy(out, left, kPixel);
        std::memcpy(out + kPixel, right, kPixel);
    }
}

#if defined(__x86_64__) || defined(__i386__)
// Eight pixels of each side make 48 bytes out, three 16-byte stores, each a
// byte shuffle of a 16-byte load of either side (from byte 0, 6 and 8 of the
// 24, so nothing beyond them is read) joined by an or.
constexpr int kStoreFrom[3] = {0, 6, 8};

struct InterleaveMasks {
    int8_t left[3][16];
    int8_t right[3][16];
};

constexpr InterleaveMasks MakeInterleaveMasks()
{
    InterleaveMasks masks{};
    for (int store = 0; store < 3; ++store)
        for (int j = 0; j < 16; ++j) {
            const int at = 16 * store + j, pixel = at / 3;
            const int8_t source = int8_t(3 * (pixel / 2) + at % 3 - kStoreFrom[store]);
            masks.left[store][j] = pixel % 2 == 0 ? source : int8_t(-1);
            masks.right[store][j] = pixel % 2 == 1 ? source : int8_t(-1);
        }
    return masks;
}

__attribute__((target("ssse3"))) void InterleaveSsse3(const uint8_t* left, const uint8_t* right, uint8_t* out,
                                                       size_t width)
{
    alignas(16) static constexpr InterleaveMasks kMasks = MakeInterleaveMasks();
    size_t x = 0;
    for (; x + 8 <= width; x += 8, left += 8 * kPixel, right += 8 * kPixel, out += 16 * kPixel)
        for (int store = 0; store < 3; ++store) {
            const __m128i l = _mm_loadu_si128(reinterpret_cast<const __m128i*>(left + kStoreFrom[store]));
            const __m128i r = _mm_loadu_si128(reinterpret_cast<const __m128i*>(right + kStoreFrom[store]));
            const __m128i picked =
                _mm_or_si128(_mm_shuffle_epi8(l, _mm_load_si128(reinterpret_cast<const __m128i*>(kMasks.left[store]))),
                             _mm_shuffle_epi8(r, _mm_load_si128(reinterpret_cast<const __m128i*>(kMasks.right[store]))));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16 * store), picked);
        }
    Interleave(left, right, out, width - x);
}

InterleaveFn FastInterleave()
{
    static const InterleaveFn fn = __builtin_cpu_supports("ssse3") ? InterleaveSsse3 : Interleave;
    return fn;
}
#else
InterleaveFn FastInterleave() { return Interleave; }
#endif

// (3 * near + far + 2) / 4, rounded to nearest.
uint8_t Between(uint8_t near, uint8_t far) { return uint8_t((3 * near + far + 2) >> 2); }

// Each pixel of `in` becomes two of `out`, the first leaning to its left
// neighbour, the second to its right.
void DoubleColumns(const uint8_t* in, uint8_t* out, size_t width, size_t pixel)
{
    for (size_t x = 0; x < width; ++x) {
        const uint8_t* at = in + x * pixel;
        const uint8_t* left = in + (x > 0 ? x - 1 : 0) * pixel;
        const uint8_t* right = in + (x + 1 < width ? x + 1 : x) * pixel;
        uint8_t* two = out + 2 * x * pixel;
        for (size_t c = 0; c < pixel; ++c) {
            two[c] = Between(at[c], left[c]);
            two[pixel + c] = Between(at[c], right[c]);
        }
    }
}

// The same for colour, the case a film plays: both leanings of the whole row
// first, as two runs of bytes the compiler vectorises, then interleaved.
// `lean` holds 2 * 3 * width bytes.
void DoubleColourColumns(const uint8_t* __restrict in, uint8_t* __restrict out, size_t width, uint8_t* __restrict lean,
                         InterleaveFn interleave)
{
    const size_t n = kPixel * width;
    uint8_t* left = lean;
    uint8_t* right = lean + n;
    std::memcpy(left, in, kPixel);
    for (size_t i = kPixel; i < n; ++i)
        left[i] = Between(in[i], in[i - kPixel]);
    for (size_t i = 0; i + kPixel < n; ++i)
        right[i] = Between(in[i], in[i + kPixel]);
    std::memcpy(right + n - kPixel, in + n - kPixel, kPixel);
    interleave(left, right, out, width);
}

void MixRows(const uint8_t* near, const uint8_t* far, uint8_t* out, size_t bytes)
{
    for (size_t i = 0; i < bytes; ++i)
        out[i] = Between(near[i], far[i]);
}

}  // namespace

PictureBuffer Unsqueezed(const Picture& eye, LayoutKind kind)
{
    if (!eye || kind == LayoutKind::Mono)
        return {};
    const bool across = kind == LayoutKind::SideBySide;
    PictureBuffer full = PictureBuffer::allocate(across ? 2 * eye.width : eye.width,
                                                 across ? eye.height : 2 * eye.height, eye.bytesPerPixel);
    if (!full || !UnsqueezeInto(eye, kind, full))
        return {};
    return full;
}

bool UnsqueezeInto(const Picture& eye, LayoutKind kind, PictureBuffer& full)
{
    if (!eye || kind == LayoutKind::Mono)
        return false;
    const bool across = kind == LayoutKind::SideBySide;
    if (!full || full.width != (across ? 2 * eye.width : eye.width) ||
        full.height != (across ? eye.height : 2 * eye.height) || full.bytesPerPixel != eye.bytesPerPixel)
        return false;
    const bool colour = eye.bytesPerPixel == 3;
    std::vector<uint8_t> lean(across && colour ? 2 * eye.rowBytes() : 0);
    const InterleaveFn interleave = FastInterleave();
    for (int r = 0; r < eye.height; ++r) {
        if (across) {
            if (colour)
                DoubleColourColumns(eye.row(r), full.row(r), size_t(eye.width), lean.data(), interleave);
            else
                DoubleColumns(eye.row(r), full.row(r), size_t(eye.width), size_t(eye.bytesPerPixel));
            continue;
        }
        const uint8_t* below = eye.row(std::max(r - 1, 0));
        const uint8_t* above = eye.row(std::min(r + 1, eye.height - 1));
        MixRows(eye.row(r), below, full.row(2 * r), eye.rowBytes());
        MixRows(eye.row(r), above, full.row(2 * r + 1), eye.rowBytes());
    }
    return true;
}

}  // namespace plexo
