// Frames per second of the picture shaping a conversion does per frame, on
// full-HD pictures: reduction by each factor, cutting, and the red-blue
// exchange before JPEG encoding.

#include <benchmark/benchmark.h>

#include <vector>

#include "convert/picture_ops.h"

namespace plexo {
namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

std::vector<uint8_t> Pixels(int bytesPerPixel)
{
    std::vector<uint8_t> bytes(size_t(kWidth) * kHeight * size_t(bytesPerPixel));
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = uint8_t(i * 7 + (i >> 11));
    return bytes;
}

void BM_Reduce(benchmark::State& state)
{
    const int factor = int(state.range(0));
    const int b = int(state.range(1));
    const std::vector<uint8_t> source = Pixels(b);
    PictureStore store;
    for (auto _ : state)
        benchmark::DoNotOptimize(ReducePicture({source.data(), kWidth, kHeight, b}, factor, store).data);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Reduce)->ArgNames({"factor", "bpp"})->ArgsProduct({{2, 3, 4}, {1, 3}});

void BM_CropToHalf(benchmark::State& state)
{
    const std::vector<uint8_t> source = Pixels(3);
    PictureStore store;
    for (auto _ : state) {
        int w = kWidth / 2, h = kHeight / 2;
        benchmark::DoNotOptimize(CropPixels({source.data(), kWidth, kHeight, 3}, w, h, store).data);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CropToHalf);

}  // namespace
}  // namespace plexo
