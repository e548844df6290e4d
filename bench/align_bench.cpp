// Alignment's speed and accuracy on pairs rendered from a synthetic scene (a
// near layer 2 % of the width in front of a far one), with known
// misalignments applied to the second eye: a 12-megapixel still pair
// (`BM_AlignStill`), a 1080p frame as Align Every Frame estimates it
// (`BM_AlignFrame`) and resamples it (`BM_WarpFrame`), and each detector
// on the still (`BM_Detector`). The counters give the model's errors, the
// residual over the inliers, the vertical disparity the model leaves over
// a grid of the picture (grid_p90_px, grid_max_px), the horizontal
// disparity's change and the area kept.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <vector>

#include "align/aligned_pair.h"
#include "align/estimate.h"
#include "align/frame_aligner.h"

namespace plexo::align {
namespace {

double Cells(double x, double y, double size, uint32_t seed)
{
    uint32_t h = uint32_t(int32_t(std::floor(x / size))) * 73856093u ^ uint32_t(int32_t(std::floor(y / size))) * 19349663u ^ seed;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return double(h & 255);
}

struct Scene {
    int width, height;
    double near;  // the near layer's disparity, columns

    double Grey(double x, double y, bool second) const
    {
        const double unit = height / 480.0;
        const double shift = second ? near : 0, farShift = second ? near / -4 : 0;
        const bool inNear = std::abs(x - shift - 0.1 * width) < 0.2 * width && std::abs(y) < 0.2 * height;
        const double at = (inNear ? x - shift : x - farShift) / unit, row = y / unit;
        const uint32_t seed = inNear ? 7 : 1;
        return 0.6 * Cells(at, row, 13, seed) + 0.4 * Cells(at, row, 5, seed + 1);
    }

    // A colour eye, bottom row first; the second seen through the misalignment.
    std::vector<uint8_t> Render(bool second, const AlignModel& model) const
    {
        const Homography toRectified = SecondCorrection(model, height / 2.0);
        std::vector<uint8_t> pixels(size_t(width) * height * 3);
        for (int row = 0; row < height; ++row)
            for (int col = 0; col < width; ++col) {
                double x = col - (width - 1) / 2.0, y = (height - 1) / 2.0 - row;
                if (second) {
                    const auto p = *Apply(toRectified, x, y);
                    x = p[0];
                    y = p[1];
                }
                const uint8_t grey = uint8_t(Grey(x, y, second));
                uint8_t* pixel = &pixels[(size_t(row) * width + col) * 3];
                pixel[0] = grey;
                pixel[1] = uint8_t(grey * 0.8 + 20);
                pixel[2] = uint8_t(grey * 0.6 + 90);
            }
        return pixels;
    }
};

// Shifts up to 12 px, rolls up to 2°, scales up to 2 %, keystone.
const AlignModel kCases[] = {
    {.vertical = 12}, {.roll = 2}, {.scale = 1.02}, {.keystoneX = 0.02, .keystoneY = 0.02},
    {.vertical = -7, .roll = -1.2, .scale = 0.985, .keystoneX = -0.01, .keystoneY = 0.01},
};

void Report(benchmark::State& state, const Scene& scene, const AlignModel& applied, const AlignResult& result)
{
    if (!result.alignment) {
        state.SkipWithError(CouldNotAlignMessage(result.matches).c_str());
        return;
    }
    const Alignment& found = *result.alignment;
    state.counters["vertical_err_px"] = std::abs(found.model.vertical - applied.vertical);
    state.counters["roll_err_deg"] = std::abs(found.model.roll - applied.roll);
    state.counters["scale_err_pct"] = std::abs(found.model.scale - applied.scale) * 100;
    state.counters["median_px"] = found.medianResidual;
    state.counters["p90_px"] = found.p90Residual;
    state.counters["disparity_change_px"] = std::abs(found.nearDisparity - scene.near);
    state.counters["area_kept_pct"] = std::pow(CoveredShare(found.model, scene.width, scene.height), 2) * 100;
    state.counters["inliers"] = found.inliers;
    // The vertical disparity the found correction leaves where the applied
    // one is known, over a 16×9 grid across the picture: the model's own
    // error, whichever matches the fit kept.
    const double half = scene.height / 2.0;
    const Homography warp = SplitCorrection(found.model, half).first;
    const Homography second = Multiply(SecondCorrection(found.model, half), *Inverse(SecondCorrection(applied, half)));
    std::vector<double> left;
    for (int i = 0; i < 16; ++i)
        for (int j = 0; j < 9; ++j) {
            const double x = (i + 0.5) / 16 * scene.width - scene.width / 2.0;
            const double y = (j + 0.5) / 9 * scene.height - half;
            const auto a = Apply(warp, x, y);
            const auto b = Apply(warp, (*Apply(second, x, y))[0], (*Apply(second, x, y))[1]);
            left.push_back(std::abs((*a)[1] - (*b)[1]));
        }
    std::sort(left.begin(), left.end());
    state.counters["grid_p90_px"] = left[left.size() * 9 / 10];
    state.counters["grid_max_px"] = left.back();
}

void Align(benchmark::State& state, const Scene& scene, const MatchOptions& options)
{
    const AlignModel& applied = kCases[state.range(0)];
    const std::vector<uint8_t> first = scene.Render(false, {}), second = scene.Render(true, applied);
    const Picture eyes[2] = {{first.data(), scene.width, scene.height, 3}, {second.data(), scene.width, scene.height, 3}};
    AlignResult result;
    for (auto _ : state)
        benchmark::DoNotOptimize(result = EstimateAlignment(eyes[0], eyes[1], options));
    Report(state, scene, applied, result);
}

const Scene kStill{4000, 3000, -80};
const Scene kFrame{1920, 1080, -38};

void BM_AlignStill(benchmark::State& state) { Align(state, kStill, {}); }
BENCHMARK(BM_AlignStill)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

void BM_AlignFrame(benchmark::State& state)
{
    Align(state, kFrame, kFrameMatch);
}
BENCHMARK(BM_AlignFrame)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

// The frame's estimate in its two parts: finding the matches, and fitting them.
void BM_MatchFrame(benchmark::State& state)
{
    const std::vector<uint8_t> first = kFrame.Render(false, {}), second = kFrame.Render(true, kCases[4]);
    const Picture eyes[2] = {{first.data(), kFrame.width, kFrame.height, 3}, {second.data(), kFrame.width, kFrame.height, 3}};
    Matches matches;
    for (auto _ : state)
        benchmark::DoNotOptimize(matches = MatchFeatures(eyes[0], eyes[1], kFrameMatch));
    state.counters["matches"] = double(matches.points.size());
    const auto fitting = [&] { benchmark::DoNotOptimize(FitAlignment(matches, kFrame.height / 2.0)); };
    const auto start = std::chrono::steady_clock::now();
    constexpr int kFits = 20;
    for (int i = 0; i < kFits; ++i)
        fitting();
    state.counters["fit_ms"] = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count() / kFits;
}
BENCHMARK(BM_MatchFrame)->Unit(benchmark::kMillisecond);

void BM_WarpFrame(benchmark::State& state)
{
    const std::vector<uint8_t> first = kFrame.Render(false, {}), second = kFrame.Render(true, kCases[4]);
    EyePair pair;
    pair.first = {first.data(), kFrame.width, kFrame.height, 3};
    pair.second = {second.data(), kFrame.width, kFrame.height, 3};
    for (auto _ : state)
        benchmark::DoNotOptimize(AlignedPair(pair, kCases[4]));
}
BENCHMARK(BM_WarpFrame)->Unit(benchmark::kMillisecond);

void BM_Levels(benchmark::State& state)
{
    MatchOptions options = state.range(1) ? kFrameMatch : MatchOptions{};
    options.levels = int(state.range(2));
    Align(state, state.range(1) ? kFrame : kStill, options);
}
BENCHMARK(BM_Levels)->ArgsProduct({{4}, {0, 1}, {1, 2, 4, 8}})->Unit(benchmark::kMillisecond);

void BM_Detector(benchmark::State& state)
{
    Align(state, kStill, {.detector = Detector(state.range(1))});
}
BENCHMARK(BM_Detector)->ArgsProduct({{4}, {0, 1, 2}})->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace plexo::align
