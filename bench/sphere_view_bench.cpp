// The spherical viewport: both eyes of a 3840 × 2160 VR180 side-by-side
// frame seen as 1280 × 720 rectilinear views, with the camera's maps made
// already (as while a film plays); and the cost of making them again (as
// at each move of a drag over a still frame).

#include <benchmark/benchmark.h>

#include "film/eye_pair.h"
#include "image/stereo_layout.h"
#include "pipeline/viewport_maps.h"
#include "pipeline/viewport_stage.h"

namespace plexo {
namespace {

constexpr int kFrameWidth = 3840;
constexpr int kFrameHeight = 2160;
constexpr int kViewWidth = 1280;
constexpr int kViewHeight = 720;

PictureBuffer Frame()
{
    PictureBuffer frame = PictureBuffer::allocate(kFrameWidth, kFrameHeight, 3);
    for (size_t i = 0; i < frame.byteCount(); ++i)
        frame.bytes[i] = uint8_t(i * 7 + i / 4099);
    return frame;
}

void BothEyes(benchmark::State& state)
{
    const PictureBuffer frame = Frame();
    const EyeViews eyes = SplitEyes(frame.view(), {LayoutKind::SideBySide, false, false});
    EyePair pair;
    pair.first = eyes.first;
    pair.second = eyes.second;
    const PairStage stage = pipeline::ViewportStage(ProjectionOfKind(ProjectionKind::HalfEquirect),
                                                    {25, -10, 90}, kViewWidth, kViewHeight);
    benchmark::DoNotOptimize(stage(pair));  // the maps
    for (auto _ : state)
        benchmark::DoNotOptimize(stage(pair));
}
BENCHMARK(BothEyes)->Unit(benchmark::kMillisecond)->UseRealTime();

void MakeMaps(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(pipeline::ViewportMaps::Make(ProjectionOfKind(ProjectionKind::HalfEquirect),
                                                              {25, -10, 90}, kFrameWidth / 2, kFrameHeight, false,
                                                              kViewWidth, kViewHeight));
}
BENCHMARK(MakeMaps)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace plexo
