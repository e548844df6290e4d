// A video's frames converted on the decoder's thread: the conversion of one
// decoded frame into the compositors' form (FrameShaper::Shape: colour
// conversion, split into eyes, a half layout's stretch) at 1080p and 4K; a
// step reaching its ready pair, as holding Right makes them one after
// another, median of 20; and the peak memory of the process while the film
// plays through the core at its frames' pace, pair by pair as a player asks
// for them (a frame not ready by its time skipped),
// over a clip looped with `-stream_loop` to ten minutes
// (PLEXO_PLAY_SECONDS shortens it). The videos are made with ffmpeg in a
// scratch folder.

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "film/open_film.h"
#include "scratch_folder.h"
#include "video/frame_shaper.h"
#include "video/video_file.h"
#include "video/video_formats.h"

namespace plexo::bench {
namespace {

using Clock = std::chrono::steady_clock;

ScratchFolder& Scratch()
{
    static ScratchFolder folder("plexo-video-pool-bench");
    return folder;
}

std::string Made(const std::string& name, const std::string& arguments)
{
    return Scratch().Made(name, arguments);
}

// Ten seconds at `height` lines (1080: 1920 wide at 24 a second; 2160:
// 3840 wide at 60 a second), H.264.
std::string Clip(int height)
{
    const bool k4 = height == 2160;
    return Made(k4 ? "clip2160.mp4" : "clip1080.mp4",
                std::string("-f lavfi -i testsrc2=size=") + (k4 ? "3840x2160:rate=60" : "1920x1080:rate=24") +
                    " -t 10 -c:v libx264 -preset ultrafast -b:v 4M -g 60 -pix_fmt yuv420p");
}

// The clip looped to ten minutes by copying.
std::string TenMinutes(int height)
{
    return Made("loop" + std::to_string(height) + ".mp4", "-stream_loop 59 -i '" + Clip(height) + "' -c copy");
}

FilmPtr Open(const std::string& path)
{
    video::AddVideoFormats();
    FilmPtr film = OpenFilmByExtension(path);
    if (!film)
        std::abort();
    return film;
}

double Ms(Clock::time_point since)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

// Decoded frames shaped one after another on this thread, as the worker
// does; arg 0 the lines, arg 1 a half side-by-side split (1) or whole (0).
void BM_ShapeFrame(benchmark::State& state)
{
    std::string why;
    std::unique_ptr<video::VideoFile> file = video::VideoFile::Open(Clip(int(state.range(0))), why);
    if (!file)
        std::abort();
    std::vector<video::FrameHandle> frames(8);
    for (video::FrameHandle& frame : frames)
        if (file->Next(frame) != video::Decoded::Frame)
            std::abort();
    const StereoLayout eyes = state.range(1) ? StereoLayout{LayoutKind::SideBySide, true, false} : StereoLayout{};
    video::FrameShaper shaper(file->Orienting(), eyes);
    size_t at = 0;
    for (auto _ : state) {
        video::SharedPicture picture = shaper.Shape(*frames[at % frames.size()], int64_t(at), 0);
        if (!picture)
            std::abort();
        ++at;
    }
}
BENCHMARK(BM_ShapeFrame)->Args({1080, 0})->Args({1080, 1})->Args({2160, 0})->Unit(benchmark::kMillisecond)->UseRealTime();

// From frame 100, 20 steps forward one after another (arg 1 = 1) or back
// (-1), each until its pair is there; the median and the longest.
void BM_StepLatency(benchmark::State& state)
{
    const std::string path = Clip(int(state.range(0)));
    std::vector<double> steps;
    for (auto _ : state) {
        FilmPtr film = Open(path);
        film->Seek(100);
        if (!film->Pair(Tone::Colour))
            std::abort();
        for (int i = 0; i < 20; ++i) {
            const auto from = Clock::now();
            film->Skip(int32_t(state.range(1)));
            benchmark::DoNotOptimize(film->Pair(Tone::Colour));
            steps.push_back(Ms(from));
        }
    }
    std::sort(steps.begin(), steps.end());
    state.counters["step_median_ms"] = steps[steps.size() / 2];
    state.counters["step_max_ms"] = steps.back();
}
BENCHMARK(BM_StepLatency)
    ->Args({1080, 1})
    ->Args({1080, -1})
    ->Args({2160, 1})
    ->Args({2160, -1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

// The film played from its start at its frames' times: each position's
// pair asked for without waiting until it is there or the next one is due.
void BM_PlayMemory(benchmark::State& state)
{
    const std::string path = TenMinutes(int(state.range(0)));
    const char* limit = std::getenv("PLEXO_PLAY_SECONDS");
    const int64_t seconds = limit ? std::atoll(limit) : 600;
    int64_t shown = 0, skipped = 0;
    for (auto _ : state) {
        FilmPtr film = Open(path);
        film->Timing().SetPlaying(true);
        const auto start = Clock::now();
        const auto due = [&](int32_t position) {
            return start + std::chrono::microseconds(film->Timing().TimeAt(position));
        };
        for (int32_t at = 0; at < film->FrameCount() && film->Timing().TimeAt(at) < seconds * 1000000; ++at) {
            bool ready = false;
            while (!(ready = film->Timing().ReadyAt(at)) && Clock::now() < due(at + 1))
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            if (!ready) {
                ++skipped;
                continue;
            }
            film->Seek(at);
            shown += film->Pair(Tone::Colour) != nullptr;
            std::this_thread::sleep_until(due(at));
        }
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_rss_MB"] = double(usage.ru_maxrss) / 1024;
    state.counters["shown"] = double(shown);
    state.counters["skipped"] = double(skipped);
}
BENCHMARK(BM_PlayMemory)->Arg(1080)->Arg(2160)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

}  // namespace
}  // namespace plexo::bench
