// Picture fetching from films against the plain operations it rests on:
// - a packed 1920 x 1080 colour .flm frame against libjpeg-turbo decoding the
//   same stream into a buffer;
// - a raw 1920 x 1080 colour .flm frame from the page cache against a memcpy
//   of the same bytes, and its grey picture (the red-blue fetch) against the
//   colour fetch;
// - opening a 10,000-file numbered sequence against readdir and a sort of the
//   names of the same folder;
// - opening a packed .flm of small frames, 20,000 to a million of them
//   (target: at most 0.3 µs a frame, linear in the frames).
// Everything is written under one folder that is removed at exit.

#include <benchmark/benchmark.h>
#include <turbojpeg.h>

#include <dirent.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "film/factories.h"
#include "image/jpeg_codec.h"
#include "platform/picture_memory.h"
#include "scratch_folder.h"

namespace {

using namespace plexo;

// The least of the repetitions, beside Google Benchmark's mean and median.
double MinOf(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

const std::filesystem::path& BenchFolder()
{
    static const bench::ScratchFolder folder("plexo-decode-bench");
    return folder.path;
}

// A frame with smooth areas and fine detail, as a camera gives.
std::vector<uint8_t> Frame()
{
    std::vector<uint8_t> p(size_t(kWidth) * kHeight * 3);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            uint8_t* px = &p[(size_t(y) * kWidth + size_t(x)) * 3];
            px[0] = uint8_t(x / 8 + ((x * y) % 7));
            px[1] = uint8_t(y / 5 + ((x ^ y) & 15));
            px[2] = uint8_t((x + y) / 12);
        }
    return p;
}

void PutU32(std::ofstream& out, uint32_t v)
{
    const char b[4] = {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
    out.write(b, 4);
}

std::string WriteFlm(const char* name, bool packed, const std::vector<uint8_t>& payload)
{
    const std::string path = (BenchFolder() / name).string();
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    PutU32(out, packed ? 1 | 2 | 4 : 1 | 2);
    PutU32(out, 1);
    PutU32(out, kWidth);
    PutU32(out, kHeight);
    if (packed) {
        PutU32(out, 4);
        PutU32(out, 1);
    }
    out.write("\0\0", 2);
    if (packed)
        PutU32(out, uint32_t(payload.size()));
    out.write(reinterpret_cast<const char*>(payload.data()), std::streamsize(payload.size()));
    return path;
}

const std::vector<uint8_t>& Stream()
{
    static const std::vector<uint8_t> stream = [] {
        const auto frame = Frame();
        return EncodeJpeg(frame.data(), 3, kWidth, kHeight, 90);
    }();
    return stream;
}

void FetchFrame(benchmark::State& state, const std::string& path, Tone tone = Tone::Colour)
{
    // As the viewer and the tool keep picture memory.
    platform::KeepPictureMemoryForReuse();
    FilmPtr film = OpenFlmFilm(path);
    if (!film) {
        state.SkipWithError("cannot open the bench film");
        return;
    }
    for (auto _ : state) {
        film->ReleasePictures();
        int32_t w = 0, h = 0;
        benchmark::DoNotOptimize(tone == Tone::Grey ? film->GreyPicture(w, h) : film->ColourPicture(w, h));
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kWidth * kHeight * (tone == Tone::Grey ? 1 : 3));
}

void BM_PackedFlmFrame(benchmark::State& state)
{
    FetchFrame(state, WriteFlm("packed.flm", true, Stream()));
}
BENCHMARK(BM_PackedFlmFrame)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", MinOf);

void BM_TurboJpegDecode(benchmark::State& state)
{
    const auto& stream = Stream();
    std::vector<uint8_t> out(size_t(kWidth) * kHeight * 3);
    tjhandle handle = tjInitDecompress();
    for (auto _ : state) {
        tjDecompress2(handle, stream.data(), (unsigned long)stream.size(), out.data(), kWidth, kWidth * 3, kHeight,
                      TJPF_RGB, 0);
        benchmark::DoNotOptimize(out.data());
    }
    tjDestroy(handle);
    state.SetBytesProcessed(int64_t(state.iterations()) * kWidth * kHeight * 3);
}
BENCHMARK(BM_TurboJpegDecode)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", MinOf);

void BM_RawFlmFrame(benchmark::State& state)
{
    FetchFrame(state, WriteFlm("raw.flm", false, Frame()));
}
BENCHMARK(BM_RawFlmFrame)->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", MinOf);

// The red-blue compositor's fetch from a colour raw frame: read and turned grey.
void BM_RawFlmGreyFrame(benchmark::State& state)
{
    FetchFrame(state, WriteFlm("raw-grey.flm", false, Frame()), Tone::Grey);
}
BENCHMARK(BM_RawFlmGreyFrame)->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", MinOf);

void BM_MemcpyFrame(benchmark::State& state)
{
    const auto from = Frame();
    std::vector<uint8_t> to(from.size());
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size());
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(from.size()));
}
BENCHMARK(BM_MemcpyFrame)->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", MinOf);

const std::filesystem::path& SequenceFolder()
{
    static const std::filesystem::path folder = [] {
        const auto p = BenchFolder() / "sequence";
        std::filesystem::create_directories(p);
        for (int i = 0; i < 10000; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "take%04d.bmp", (i * 7919) % 10000);
            std::ofstream(p / name).put('\0');
        }
        return p;
    }();
    return folder;
}

void BM_OpenSequence10000(benchmark::State& state)
{
    const std::string chosen = (SequenceFolder() / "take0001.bmp").string();
    for (auto _ : state) {
        FilmPtr film = OpenBmpFilm(chosen);
        if (!film || film->FrameCount() != 10000) {
            state.SkipWithError("the sequence did not open whole");
            break;
        }
    }
}
BENCHMARK(BM_OpenSequence10000)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", MinOf);

// The least any open of the folder does: read its names and sort them.
void BM_ReaddirSort10000(benchmark::State& state)
{
    const std::string folder = SequenceFolder().string();
    for (auto _ : state) {
        std::vector<std::string> names;
        DIR* dir = opendir(folder.c_str());
        while (const dirent* entry = readdir(dir))
            names.emplace_back(entry->d_name);
        closedir(dir);
        std::sort(names.begin(), names.end());
        benchmark::DoNotOptimize(names.data());
    }
}
BENCHMARK(BM_ReaddirSort10000)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", MinOf);

// Frames of 8 x 8 grey pixels: records of a few hundred bytes, so that the
// length fields, not the streams, are what opening reads.
void BM_OpenPackedFlm(benchmark::State& state)
{
    const int64_t frames = state.range(0);
    const std::string path = (BenchFolder() / ("small" + std::to_string(frames) + ".flm")).string();
    {
        std::vector<uint8_t> grey(64);
        for (size_t i = 0; i < grey.size(); ++i)
            grey[i] = uint8_t(i * 3);
        const std::vector<uint8_t> stream = EncodeJpeg(grey.data(), 1, 8, 8, 75);
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        for (uint32_t v : {2u | 4u, uint32_t(frames), 8u, 8u, 4u, 1u})
            PutU32(out, v);
        for (int64_t i = 0; i < frames; ++i) {
            const char number[2] = {char(i), char(i >> 8)};
            out.write(number, 2);
            PutU32(out, uint32_t(stream.size()));
            out.write(reinterpret_cast<const char*>(stream.data()), std::streamsize(stream.size()));
        }
    }
    for (auto _ : state) {
        FilmPtr film = OpenFlmFilm(path);
        if (!film || film->FrameCount() != frames) {
            state.SkipWithError("the film did not open whole");
            break;
        }
    }
    state.counters["per_frame"] =
        benchmark::Counter(double(frames), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    std::filesystem::remove(path);
}
BENCHMARK(BM_OpenPackedFlm)->Arg(20000)->Arg(200000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace
