// Stereo video export against the ffmpeg program: a 1080p film, a numbered
// BMP run of 960 x 1080 eyes (ffmpeg's moving testsrc2) paired with the next
// frame, exported side by side (1920 x 1080 frames) as H.264 in MP4 at CRF 18,
// preset medium, beside `ffmpeg -f rawvideo -pix_fmt bgr24 -s 1920x1080 -r 25
// -i RAW -c:v libx264 -preset medium -crf 18 [-pix_fmt yuv420p] -y OUT.mp4`
// encoding the same composed frames. The raw file is written once, by the export walk itself
// through a row added here, and its making is not timed. Each run also
// counts the CPU seconds it took: the process's own (the walk and libx264's
// threads) against the ffmpeg child's. PLEXO_EXPORT_FRAMES sets the frame
// count (300 unless given).

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "convert/stereo_export.h"
#include "film/open_film.h"
#include "platform/picture_memory.h"
#include "scratch_folder.h"
#include "video/video_formats.h"

namespace plexo::bench {
namespace {

constexpr int kEyeWidth = 960;
constexpr int kEyeHeight = 1080;
constexpr int kShift = 1;

int Frames()
{
    const char* text = std::getenv("PLEXO_EXPORT_FRAMES");
    const int frames = text ? std::atoi(text) : 300;
    return frames > 1 ? frames : 300;
}

ScratchFolder& Scratch()
{
    static ScratchFolder folder("plexo-video-export-bench");
    return folder;
}

// Appends every composed frame, top row first, to one file: the input the
// ffmpeg program is given.
class RawWriter : public ExportWriter {
public:
    explicit RawWriter(const std::string& path) : file_(std::fopen(path.c_str(), "wb")) {}
    ~RawWriter() override
    {
        if (file_)
            std::fclose(file_);
    }
    bool Put(const Picture& frame, int32_t) override
    {
        for (int r = frame.height - 1; r >= 0; --r)
            if (std::fwrite(frame.row(r), 1, frame.rowBytes(), file_) != frame.rowBytes())
                return false;
        return true;
    }
    bool Finish() override { return std::fclose(std::exchange(file_, nullptr)) == 0; }

private:
    std::FILE* file_;
};

constexpr ExportFormat kRawRow[] = {
    {"raw", "composed frames", true, [](const ExportOptions&) { return PresentationId::SideBySide; },
     [](const ExportStart& start) -> std::unique_ptr<ExportWriter> { return std::make_unique<RawWriter>(start.path); }},
};

ExportOptions Options()
{
    ExportOptions options;
    options.shift = kShift;
    options.fps = 25;
    return options;
}

// The first file of the run, made once.
const std::string& Film()
{
    static const std::string first = [] {
        platform::KeepPictureMemoryForReuse();
        video::AddVideoFormats();
        const std::string pattern = (Scratch().path / "eye%04d.bmp").string();
        const std::string command = "ffmpeg -v error -y -f lavfi -i testsrc2=size=" + std::to_string(kEyeWidth) + "x" +
                                    std::to_string(kEyeHeight) + ":rate=25 -frames:v " + std::to_string(Frames()) +
                                    " -start_number 1 -pix_fmt bgr24 '" + pattern + "'";
        if (std::system(command.c_str()) != 0)
            std::abort();
        return (Scratch().path / "eye0001.bmp").string();
    }();
    return first;
}

FilmPtr OpenedFilm()
{
    FilmPtr film = OpenFilmByExtension(Film());
    if (!film || film->FrameCount() != Frames())
        std::abort();
    return film;
}

const std::string& RawFrames()
{
    static const std::string path = [] {
        AddExportFormats(kRawRow);
        const std::string raw = (Scratch().path / "composed.raw").string();
        FilmPtr film = OpenedFilm();
        if (Export(*film, raw, Options()) != ExportResult::Ok)
            std::abort();
        return raw;
    }();
    return path;
}

double CpuSeconds(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double MinOf(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

void Report(benchmark::State& state, int64_t frames, double cpu)
{
    state.counters["fps"] = benchmark::Counter(double(frames), benchmark::Counter::kIsRate);
    state.counters["cpu_s"] = cpu;
}

void BM_ExportVideo(benchmark::State& state)
{
    RawFrames();
    const std::string out = (Scratch().path / "export.mp4").string();
    int64_t frames = 0;
    double cpu = 0;
    for (auto _ : state) {
        const double before = CpuSeconds(RUSAGE_SELF);
        FilmPtr film = OpenedFilm();
        if (Export(*film, out, Options()) != ExportResult::Ok)
            std::abort();
        cpu += CpuSeconds(RUSAGE_SELF) - before;
        frames += Frames();
    }
    Report(state, frames, cpu);
}
BENCHMARK(BM_ExportVideo)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1)->ComputeStatistics("min", MinOf);

// `extra`: the ffmpeg program's further output options. Without any it picks
// yuv444p for libx264 from bgr24 input (High 4:4:4), so the measure that
// does the export's work is the one with `-pix_fmt yuv420p`.
void BM_FfmpegEncode(benchmark::State& state, const std::string& extra)
{
    const std::string raw = RawFrames();
    const std::string command = "ffmpeg -v error -f rawvideo -pix_fmt bgr24 -s " + std::to_string(2 * kEyeWidth) +
                                "x" + std::to_string(kEyeHeight) + " -r 25 -i '" + raw +
                                "' -c:v libx264 -preset medium -crf 18 " + extra + " -y '" +
                                (Scratch().path / "ffmpeg.mp4").string() + "'";
    int64_t frames = 0;
    double cpu = 0;
    for (auto _ : state) {
        const double before = CpuSeconds(RUSAGE_CHILDREN);
        if (std::system(command.c_str()) != 0)
            std::abort();
        cpu += CpuSeconds(RUSAGE_CHILDREN) - before;
        frames += Frames();
    }
    Report(state, frames, cpu);
}
BENCHMARK_CAPTURE(BM_FfmpegEncode, yuv444p, std::string())
    ->Unit(benchmark::kSecond)
    ->UseRealTime()
    ->Iterations(1)
    ->ComputeStatistics("min", MinOf);
BENCHMARK_CAPTURE(BM_FfmpegEncode, yuv420p, std::string("-pix_fmt yuv420p"))
    ->Unit(benchmark::kSecond)
    ->UseRealTime()
    ->Iterations(1)
    ->ComputeStatistics("min", MinOf);

}  // namespace
}  // namespace plexo::bench
