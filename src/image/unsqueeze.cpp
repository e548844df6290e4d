#include "image/unsqueeze.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace plexo {

namespace {

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
// first, as two runs of bytes the compiler vectorises, then interleaved a
// pixel at a time by 8-byte copies that overlap, each putting its 3 bytes
// and leaving the rest to the next copy; the last pixel, whose copies would
// reach past the row, is put exactly. `lean` holds 2 * (3 * width + 8) bytes.
void DoubleColourColumns(const uint8_t* __restrict in, uint8_t* __restrict out, size_t width, uint8_t* __restrict lean)
{
    constexpr size_t kPixel = 3, kCopy = 8;
    const size_t n = kPixel * width;
    uint8_t* left = lean;
    uint8_t* right = lean + n + kCopy;
    std::memcpy(left, in, kPixel);
    for (size_t i = kPixel; i < n; ++i)
        left[i] = Between(in[i], in[i - kPixel]);
    for (size_t i = 0; i + kPixel < n; ++i)
        right[i] = Between(in[i], in[i + kPixel]);
    std::memcpy(right + n - kPixel, in + n - kPixel, kPixel);
    for (size_t x = 0; x + 1 < width; ++x) {
        std::memcpy(out + 2 * kPixel * x, left + kPixel * x, kCopy);
        std::memcpy(out + 2 * kPixel * x + kPixel, right + kPixel * x, kCopy);
    }
    std::memcpy(out + 2 * (n - kPixel), left + n - kPixel, kPixel);
    std::memcpy(out + 2 * n - kPixel, right + n - kPixel, kPixel);
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
    std::vector<uint8_t> lean(across && colour ? 2 * (eye.rowBytes() + 8) : 0);
    for (int r = 0; r < eye.height; ++r) {
        if (across) {
            if (colour)
                DoubleColourColumns(eye.row(r), full.row(r), size_t(eye.width), lean.data());
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
