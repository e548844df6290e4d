// The video layer against the ffmpeg program: decoding a 1080p side-by-side
// H.264 video through the film into colour pictures beside `ffmpeg -threads
// 2 -i FILE -pix_fmt bgr24 -f null -` on the same file; a jump into a long
// group of pictures and steps back from there; opening a two-hour MP4 to its
// first picture. The videos are made with ffmpeg in a scratch folder.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "doc/document.h"
#include "film/open_film.h"
#include "platform/picture_memory.h"
#include "play/player.h"
#include "scratch_folder.h"
#include "video/video_film.h"
#include "video/video_formats.h"

namespace plexo::bench {
namespace {

ScratchFolder& Scratch()
{
    static ScratchFolder folder("plexo-video-bench");
    return folder;
}

std::string Made(const std::string& name, const std::string& arguments)
{
    return Scratch().Made(name, arguments);
}

// 1920 x 1080, two 960-pixel eyes side by side, 240 frames at 60 a second.
std::string SideBySide()
{
    return Made("walk_sbs.mp4", "-f lavfi -i testsrc2=size=960x1080:rate=60 -filter_complex "
                                "'[0]split[l][r];[r]hflip[f];[l][f]hstack' -frames:v 240 -c:v libx264 "
                                "-preset veryfast -pix_fmt yuv420p");
}

// 250 frames in one group of pictures.
std::string LongGroup()
{
    return Made("gop250.mp4", "-f lavfi -i testsrc2=size=1920x1080:rate=25 -frames:v 250 -c:v libx264 -preset "
                              "veryfast -g 250 -keyint_min 250 -sc_threshold 0");
}

// Two hours of 1080p at 60 a second: a 10-second clip looped by copying.
std::string TwoHours()
{
    const std::string clip = Made("clip10s.mp4", "-f lavfi -i testsrc2=size=1920x1080:rate=60 -frames:v 600 "
                                                 "-c:v libx264 -preset veryfast -b:v 150k -g 120");
    return Made("two_hours.mp4", "-stream_loop 719 -i '" + clip + "' -c copy");
}

FilmPtr Open(const std::string& path)
{
    // As the programs do.
    platform::KeepPictureMemoryForReuse();
    video::AddVideoFormats();
    FilmPtr film = OpenFilmByExtension(path);
    if (!film)
        std::abort();
    return film;
}

double MinOf(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

void BM_FilmDecode(benchmark::State& state)
{
    const std::string path = SideBySide();
    int64_t frames = 0;
    for (auto _ : state) {
        FilmPtr film = Open(path);
        // Each picture released once taken, as the converters and the
        // viewer's File reading do.
        do {
            benchmark::DoNotOptimize(FilmPicture(*film, Eye::Current, Tone::Colour).data);
            film->ReleasePictures();
        } while (film->Next());
        frames += film->FrameCount();
    }
    state.counters["fps"] = benchmark::Counter(double(frames), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FilmDecode)->Unit(benchmark::kMillisecond)->UseRealTime()->ComputeStatistics("min", MinOf);

void BM_FfmpegDecode(benchmark::State& state)
{
    const std::string path = SideBySide();
    const std::string command = "ffmpeg -v error -threads 2 -i '" + path + "' -pix_fmt bgr24 -f null -";
    int64_t frames = 0;
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0)
            std::abort();
        frames += 240;
    }
    state.counters["fps"] = benchmark::Counter(double(frames), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FfmpegDecode)->Unit(benchmark::kMillisecond)->UseRealTime()->ComputeStatistics("min", MinOf);

// A jump to frame 125 of the group, then 20 steps back, each to its picture.
void BM_StepBack(benchmark::State& state)
{
    const std::string path = LongGroup();
    std::vector<double> steps;
    double jump = 0;
    size_t cache = 0;
    for (auto _ : state) {
        FilmPtr film = Open(path);
        const auto start = std::chrono::steady_clock::now();
        film->Seek(125);
        benchmark::DoNotOptimize(FilmPicture(*film, Eye::Current, Tone::Colour).data);
        jump = std::max(jump, Seconds(start));
        for (int i = 0; i < 20; ++i) {
            const auto from = std::chrono::steady_clock::now();
            film->Prev();
            benchmark::DoNotOptimize(FilmPicture(*film, Eye::Current, Tone::Colour).data);
            steps.push_back(Seconds(from));
            cache = std::max(cache, dynamic_cast<video::VideoFilm&>(*film).Source().CachedBytes());
        }
    }
    std::sort(steps.begin(), steps.end());
    state.counters["jump_ms"] = jump * 1e3;
    state.counters["step_median_ms"] = steps[steps.size() / 2] * 1e3;
    state.counters["step_max_ms"] = steps.back() * 1e3;
    state.counters["cache_MB"] = double(cache) / (1 << 20);
}
BENCHMARK(BM_StepBack)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_OpenTwoHours(benchmark::State& state)
{
    const std::string path = TwoHours();
    int32_t frames = 0;
    for (auto _ : state) {
        FilmPtr film = Open(path);
        benchmark::DoNotOptimize(FilmPicture(*film, Eye::Current, Tone::Colour).data);
        frames = film->FrameCount();
    }
    state.counters["frames"] = frames;
}
BENCHMARK(BM_OpenTwoHours)->Unit(benchmark::kMillisecond)->UseRealTime()->ComputeStatistics("min", MinOf);

// Playback of the two-hour film at its 60 frames a second for 30 seconds
// through the player, as red-blue asks for it (the grey pictures of the
// frame and of its partner one frame on), each pass when the player says
// the next frame is due. Counters: the frames shown, and the late frames (due
// and not shown).
void BM_Play60RedBlue(benchmark::State& state)
{
    const std::string path = TwoHours();
    using Clock = std::chrono::steady_clock;
    int32_t late = 0;
    int shown = 0;
    for (auto _ : state) {
        CPlexoDoc doc;
        doc.SetFilm(Open(path));
        doc.film()->SetShift(1);
        doc.ChoosePresentation(PresentationId::RedBlue);
        play::Player player;
        player.SetFilm(doc.film(), doc.filmSerial());
        player.SetChoice(doc.stereo());
        player.SetSettings({doc.step(), true, doc.keepsShownPictures()});
        player.SetStereo(true);
        player.Play(doc.playRate(60));
        shown = 0;
        for (const auto end = Clock::now() + std::chrono::seconds(30); Clock::now() < end;) {
            const play::Player::Pass pass = player.Tick();
            shown += pass.shown;
            std::this_thread::sleep_for(std::chrono::microseconds(pass.wait));
        }
        player.Stop();
        late = player.LateFrames();
    }
    state.counters["shown_frames"] = shown;
    state.counters["late_frames"] = late;
}
BENCHMARK(BM_Play60RedBlue)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace
}  // namespace plexo::bench
