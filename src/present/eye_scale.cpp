#include "present/eye_scale.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "present/frame_copy.h"

namespace plexo {

namespace {

constexpr int kWeightBits = 14;
constexpr int32_t kWeightOne = 1 << kWeightBits;

// Per scaled pixel of one axis: the first source pixel it reads and a
// weight for each of `width` source pixels from there, summing to
// kWeightOne.
struct AxisTaps {
    std::vector<int64_t> first;
    std::vector<int32_t> weights;
    int width = 0;

    const int32_t* of(int64_t i) const { return weights.data() + size_t(i) * size_t(width); }
};

AxisTaps TapsFor(int64_t sourceSize, int64_t scaledSize, int64_t from, int64_t count)
{
    AxisTaps taps;
    const double scale = double(sourceSize) / double(scaledSize);
    const double support = std::max(scale, 1.0);
    taps.width = int(std::ceil(2 * support)) + 2;
    taps.first.resize(size_t(count));
    taps.weights.assign(size_t(count) * size_t(taps.width), 0);
    std::vector<double> raw(size_t(taps.width));
    for (int64_t i = 0; i < count; ++i) {
        const double centre = (double(from + i) + 0.5) * scale;
        const int64_t lo = std::max<int64_t>(0, int64_t(std::floor(centre - support)));
        const int64_t hi = std::min<int64_t>(sourceSize, int64_t(std::ceil(centre + support)));
        const int n = int(std::min<int64_t>(hi - lo, taps.width));
        double sum = 0;
        for (int k = 0; k < n; ++k) {
            raw[size_t(k)] = std::max(0.0, 1.0 - std::abs((double(lo + k) + 0.5 - centre) / support));
            sum += raw[size_t(k)];
        }
        int32_t* w = taps.weights.data() + size_t(i) * size_t(taps.width);
        int32_t given = 0;
        int largest = 0;
        for (int k = 0; k < n; ++k) {
            w[k] = sum > 0 ? int32_t(std::lround(raw[size_t(k)] / sum * kWeightOne)) : 0;
            given += w[k];
            if (w[k] > w[largest])
                largest = k;
        }
        // The rounding's remainder goes to the heaviest tap, so that a flat
        // picture stays exactly flat.
        w[largest] += kWeightOne - given;
        taps.first[size_t(i)] = lo;
    }
    return taps;
}

uint8_t Weighed(int32_t sum) { return uint8_t(std::clamp((sum + (kWeightOne >> 1)) >> kWeightBits, 0, 255)); }

}  // namespace

ScaledSize FitInside(int64_t pictureWidth, int64_t pictureHeight, int64_t width, int64_t height)
{
    if (pictureWidth <= 0 || pictureHeight <= 0 || width <= 0 || height <= 0)
        return {};
    // Wider than the box's aspect: the width fills it.
    if (pictureWidth * height >= pictureHeight * width)
        return {width, std::clamp<int64_t>((pictureHeight * width + pictureWidth / 2) / pictureWidth, 1, height)};
    return {std::clamp<int64_t>((pictureWidth * height + pictureHeight / 2) / pictureHeight, 1, width), height};
}

void ScaleColourBlock(const Picture& colour, int64_t scaledWidth, int64_t scaledHeight, Span rows, Span cols,
                      const FrameView& frame)
{
    if (!colour || colour.bytesPerPixel != 3 || !InsideBoth(rows, scaledHeight, frame.height) ||
        !InsideBoth(cols, scaledWidth, frame.width) || !FrameFits(frame))
        return;
    if (scaledWidth == colour.width && scaledHeight == colour.height) {
        CopyColourRows(colour, rows, cols, 0, 1, frame);
        return;
    }
    const AxisTaps across = TapsFor(colour.width, scaledWidth, cols.src, cols.count);
    const AxisTaps down = TapsFor(colour.height, scaledHeight, rows.src, rows.count);
    // Source rows scaled across, a ring of them: the rows each frame row
    // reads only move on, and no more than the taps' width at once.
    const size_t rowBytes = size_t(cols.count) * 3;
    std::vector<uint8_t> ring(size_t(down.width) * rowBytes);
    std::vector<int64_t> ringRow(size_t(down.width), -1);
    const auto across_row = [&](int64_t r) -> const uint8_t* {
        const size_t slot = size_t(r % down.width);
        uint8_t* out = ring.data() + slot * rowBytes;
        if (ringRow[slot] == r)
            return out;
        ringRow[slot] = r;
        const uint8_t* in = colour.row(int(r));
        for (int64_t c = 0; c < cols.count; ++c) {
            const int32_t* w = across.of(c);
            const uint8_t* p = in + across.first[size_t(c)] * 3;
            int32_t b = 0, g = 0, red = 0;
            for (int k = 0; k < across.width && across.first[size_t(c)] + k < colour.width; ++k, p += 3) {
                b += w[k] * p[0];
                g += w[k] * p[1];
                red += w[k] * p[2];
            }
            out[c * 3] = Weighed(b);
            out[c * 3 + 1] = Weighed(g);
            out[c * 3 + 2] = Weighed(red);
        }
        return out;
    };
    std::vector<const uint8_t*> sources(size_t(down.width));
    for (int64_t r = 0; r < rows.count; ++r) {
        const int32_t* w = down.of(r);
        const int64_t first = down.first[size_t(r)];
        int taps = 0;
        for (; taps < down.width && first + taps < colour.height; ++taps)
            sources[size_t(taps)] = w[taps] != 0 ? across_row(first + taps) : nullptr;
        uint8_t* out = frame.row(int(rows.dst + r)) + cols.dst * 3;
        for (size_t i = 0; i < rowBytes; ++i) {
            int32_t sum = 0;
            for (int k = 0; k < taps; ++k)
                if (sources[size_t(k)])
                    sum += w[k] * sources[size_t(k)][i];
            out[i] = Weighed(sum);
        }
    }
}

}  // namespace plexo
