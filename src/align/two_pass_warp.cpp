#include "align/two_pass_warp.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace plexo::align {

namespace {

// Places are kept in fixed point with 32 bits of fraction; weights have 8.
constexpr double kOne = 4294967296.0;
constexpr int64_t kWhole = int64_t(1) << 32;
// The exact place is worked out every kSpan pixels and followed linearly
// between: the transforms bend so little that the error stays far below
// the 1/256 of a pixel the weights resolve.
constexpr int kSpan = 64;
// Far outside any picture the fixed point would overflow.
constexpr double kFar = 1e6;

// Pixels of a line that take the same two neighbours: in a column, the same
// two rows; along a row, the neighbours at the same distance from each.
struct Run {
    int from;
    int to;
    // The first neighbour's row, or its column less the pixel's own.
    int64_t first;
};

// The weights of a line of `count` pixels (each once for every byte of its
// pixel) and its runs, from `place`, the exact place of a pixel in the
// source. `along`: runs keep their distance, not their neighbours.
template <int kBpp, typename Place>
bool Line(int count, const Place& place, bool along, uint8_t* weights, std::vector<Run>& runs)
{
    runs.clear();
    double start = 0;
    if (!place(0, start) || !(std::abs(start) < kFar))
        return false;
    Run run{0, 0, 0};
    const auto extend = [&](int i, int64_t first) {
        if (i == 0 || first != run.first) {
            if (i > 0)
                runs.push_back({run.from, i, run.first});
            run = {i, i, first};
        }
    };
    for (int from = 0; from < count; from += kSpan) {
        const int to = std::min(from + kSpan, count);
        double end = 0;
        if (!place(to, end) || !(std::abs(end) < kFar))
            return false;
        const int64_t origin = std::llround(start * kOne);
        const int64_t step = std::llround((end - start) * kOne / (to - from));
        int64_t at = origin;
        for (int i = from; i < to; ++i, at += step)
            for (int byte = 0; byte < kBpp; ++byte)
                *weights++ = uint8_t(at >> 24);
        // Within a span the first neighbour (less the pixel's own, along a
        // row) follows a line too: it changes where that line crosses a
        // whole number, found without visiting the pixels between.
        const int64_t base = origin - (along ? int64_t(from) << 32 : 0);
        const int64_t slope = step - (along ? kWhole : 0);
        for (int i = from; i < to;) {
            const int64_t first = (base + (i - from) * slope) >> 32;
            extend(i, first);
            if (slope == 0)
                break;
            const int64_t past = slope > 0 ? ((first + 1) << 32) - base : base - (first << 32) + 1;
            // A slope of a few units crosses the next whole number only far
            // beyond the span.
            const int64_t by = std::abs(slope);
            i = int(std::min<int64_t>(to, from + (past + by - 1) / by));
        }
        start = end;
    }
    runs.push_back({run.from, count, run.first});
    return true;
}

// a·(256 − w) + b·w over 256, rounded, byte by byte; in 16 bits, which the
// largest sum, 255 × 256 + 128, fits, for twice the SIMD lanes of 32.
void Blend(const uint8_t* __restrict a, const uint8_t* __restrict b, const uint8_t* __restrict weights,
           uint8_t* __restrict out, size_t bytes)
{
    for (size_t i = 0; i < bytes; ++i) {
        const uint16_t w = weights[i];
        out[i] = uint8_t(uint16_t(a[i] * uint16_t(256 - w) + b[i] * w + 128) >> 8);
    }
}

template <int kBpp>
bool WarpBy(const Picture& from, const Homography& map, PictureBuffer& to)
{
    const int sw = from.width, sh = from.height;
    const double a = map[0], b = map[1], c = map[2], d = map[3], e = map[4], f = map[5], g = map[6], h = map[7],
                 k = map[8];
    const std::vector<uint8_t> black(from.rowBytes() + kBpp, 0);
    const auto sourceRow = [&](int64_t r) { return r >= 0 && r < sh ? from.row(int(r)) : black.data(); };
    const auto sourcePixel = [&](const std::vector<uint8_t>& row, int64_t u) {
        return u >= 0 && u < sw ? &row[size_t(u) * kBpp] : black.data();
    };
    std::vector<uint8_t> column(from.rowBytes()), weights(std::max(from.rowBytes(), to.rowBytes()));
    std::vector<Run> runs;
    for (int y = 0; y < to.height; ++y) {
        // Down the columns: each source column at the height its pixels come
        // from in this target row, where the column crosses the row.
        const auto down = [&](int u, double& v) {
            const double across = a - u * g;
            const double x = (u * (h * y + k) - b * y - c) / across;
            const double w = g * x + h * y + k;
            v = (d * x + e * y + f) / w;
            return std::isfinite(v);
        };
        if (!Line<kBpp>(sw, down, false, weights.data(), runs))
            return false;
        for (const Run& run : runs) {
            const size_t at = size_t(run.from) * kBpp;
            Blend(sourceRow(run.first) + at, sourceRow(run.first + 1) + at, &weights[at], &column[at],
                  size_t(run.to - run.from) * kBpp);
        }
        // Along the row: each target pixel between the two columns its place
        // lies between.
        const auto along = [&](int x, double& u) {
            u = (a * x + b * y + c) / (g * x + h * y + k);
            return std::isfinite(u);
        };
        if (!Line<kBpp>(to.width, along, true, weights.data(), runs))
            return false;
        uint8_t* out = to.row(y);
        for (const Run& run : runs) {
            const int64_t shift = run.first;
            // The pixels whose neighbours both lie inside the source; on
            // either side of them, those at its edges, with a black one.
            const int inFrom = int(std::clamp<int64_t>(-shift, run.from, run.to));
            const int inTo = int(std::clamp<int64_t>(sw - 1 - shift, inFrom, run.to));
            if (inTo > inFrom) {
                const size_t at = size_t(inFrom) * kBpp;
                const uint8_t* left = &column[size_t(inFrom + shift) * kBpp];
                Blend(left, left + kBpp, &weights[at], out + at, size_t(inTo - inFrom) * kBpp);
            }
            const auto edge = [&](int x) {
                Blend(sourcePixel(column, x + shift), sourcePixel(column, x + shift + 1), &weights[size_t(x) * kBpp],
                      out + size_t(x) * kBpp, kBpp);
            };
            for (int x = run.from; x < inFrom; ++x)
                edge(x);
            for (int x = std::max(inFrom, inTo); x < run.to; ++x)
                edge(x);
        }
    }
    return true;
}

}  // namespace

bool TwoPassWarp(const Picture& from, const Homography& map, PictureBuffer& to)
{
    if (!from || !to || from.bytesPerPixel != to.bytesPerPixel)
        return false;
    return from.bytesPerPixel == 3 ? WarpBy<3>(from, map, to) : WarpBy<1>(from, map, to);
}

}  // namespace plexo::align
