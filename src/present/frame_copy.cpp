#include "present/frame_copy.h"

#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace plexo {

namespace {

void GreyRowToChannel(const uint8_t* from, uint8_t* to, size_t n, int channel)
{
    to += channel;
    for (size_t x = 0; x < n; ++x)
        to[3 * x] = from[x];
}

using GreyRowFn = void (*)(const uint8_t*, uint8_t*, size_t, int);

#if defined(__x86_64__) || defined(__i386__)
// Sixteen grey bytes become one channel of three 16-byte vectors of pixels:
// a byte shuffle spreads them, a mask keeps the other two channels. Storing
// one byte in three cannot be vectorised otherwise.
__attribute__((target("ssse3"))) void GreyRowToChannelSsse3(const uint8_t* from, uint8_t* to, size_t n,
                                                              int channel)
{
    alignas(16) uint8_t spread[3][16];
    alignas(16) uint8_t keep[3][16];
    for (int i = 0; i < 48; ++i) {
        const bool ours = i % 3 == channel;
        spread[i / 16][i % 16] = ours ? uint8_t(i / 3) : 0x80;  // 0x80 shuffles in a zero
        keep[i / 16][i % 16] = ours ? 0x00 : 0xFF;
    }
    __m128i spreads[3], keeps[3];
    for (int v = 0; v < 3; ++v) {
        spreads[v] = _mm_load_si128(reinterpret_cast<const __m128i*>(spread[v]));
        keeps[v] = _mm_load_si128(reinterpret_cast<const __m128i*>(keep[v]));
    }
    size_t x = 0;
    for (; x + 16 <= n; x += 16) {
        const __m128i grey = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + x));
        for (int v = 0; v < 3; ++v) {
            __m128i* at = reinterpret_cast<__m128i*>(to + 3 * x + 16 * size_t(v));
            const __m128i kept = _mm_and_si128(_mm_loadu_si128(at), keeps[v]);
            _mm_storeu_si128(at, _mm_or_si128(kept, _mm_shuffle_epi8(grey, spreads[v])));
        }
    }
    GreyRowToChannel(from + x, to + 3 * x, n - x, channel);
}

GreyRowFn FastGreyRow()
{
    static const GreyRowFn fn = __builtin_cpu_supports("ssse3") ? GreyRowToChannelSsse3 : GreyRowToChannel;
    return fn;
}
#else
GreyRowFn FastGreyRow() { return GreyRowToChannel; }
#endif

}  // namespace

bool InsideBoth(Span s, int64_t pictureSize, int64_t frameSize)
{
    return s.count > 0 && s.src >= 0 && s.dst >= 0 && s.src + s.count <= pictureSize &&
           s.dst + s.count <= frameSize;
}

bool FrameFits(const FrameView& frame) { return frame.data && frame.stride >= size_t(frame.width) * 3; }

bool BlockFits(const Picture& picture, int bytesPerPixel, Span rows, Span cols, const FrameView& frame)
{
    return picture.data && picture.bytesPerPixel == bytesPerPixel && FrameFits(frame) &&
           InsideBoth(rows, picture.height, frame.height) && InsideBoth(cols, picture.width, frame.width);
}

bool CopyColourRows(const Picture& colour, Span rows, Span cols, int firstRow, int rowStep,
                    const FrameView& frame)
{
    if (!BlockFits(colour, 3, rows, cols, frame) || firstRow < 0 || rowStep <= 0)
        return false;
    const size_t bytes = size_t(cols.count) * 3;
    for (int64_t r = firstRow; r < rows.count; r += rowStep) {
        const uint8_t* from = colour.row(int(rows.src + r)) + size_t(cols.src) * 3;
        uint8_t* to = frame.row(int(rows.dst + r)) + size_t(cols.dst) * 3;
        std::memcpy(to, from, bytes);
    }
    return true;
}

void CopyGreyToChannel(const Picture& grey, Span rows, Span cols, int channel, const FrameView& frame)
{
    if (!BlockFits(grey, 1, rows, cols, frame) || channel < 0 || channel > 2)
        return;
    const GreyRowFn copyRow = FastGreyRow();
    for (int64_t r = 0; r < rows.count; ++r)
        copyRow(grey.row(int(rows.src + r)) + cols.src, frame.row(int(rows.dst + r)) + size_t(cols.dst) * 3,
                size_t(cols.count), channel);
}

void CopyGreyToChannelReference(const Picture& grey, Span rows, Span cols, int channel, const FrameView& frame)
{
    if (!BlockFits(grey, 1, rows, cols, frame) || channel < 0 || channel > 2)
        return;
    for (int64_t r = 0; r < rows.count; ++r)
        GreyRowToChannel(grey.row(int(rows.src + r)) + cols.src, frame.row(int(rows.dst + r)) + size_t(cols.dst) * 3,
                         size_t(cols.count), channel);
}

}  // namespace plexo
