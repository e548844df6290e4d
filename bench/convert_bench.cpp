// Frames per second of the picture shaping a conversion does per frame, on
// full-HD pictures: reduction by each factor, cutting, and the red-blue
// exchange before JPEG encoding. Also what writing one frame's file costs
// with the durable replacement (synced file, rename, synced folder) against a
// plain write and rename of the same bytes.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <vector>

#include "convert/picture_ops.h"
#include "platform/atomic_file.h"

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

// A 640 x 480 colour frame's bytes, as one BMP of a conversion holds them.
void WriteFrameFile(benchmark::State& state, bool durable)
{
    const std::vector<uint8_t> bytes(size_t(640) * 480 * 3 + 54, 0x5A);
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("plexo-write-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string path = (folder / "take0001.bmp").string();
    const std::string temp = (folder / ".take0001.bmp.tmp").string();
    for (auto _ : state) {
        if (durable) {
            if (!platform::ReplaceFileWith(path, bytes.data(), bytes.size()))
                state.SkipWithError("cannot write the frame");
            continue;
        }
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        const bool written = fd >= 0 && ::write(fd, bytes.data(), bytes.size()) == ssize_t(bytes.size());
        if (fd < 0 || ::close(fd) != 0 || !written || std::rename(temp.c_str(), path.c_str()) != 0)
            state.SkipWithError("cannot write the frame");
    }
    state.SetItemsProcessed(state.iterations());
    std::filesystem::remove_all(folder);
}
void BM_WriteFrameDurably(benchmark::State& state) { WriteFrameFile(state, true); }
void BM_WriteFrameUnsynced(benchmark::State& state) { WriteFrameFile(state, false); }
BENCHMARK(BM_WriteFrameDurably)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WriteFrameUnsynced)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace plexo
