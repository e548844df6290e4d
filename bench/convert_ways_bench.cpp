// Wall time of whole conversions of a 48-frame 1920 x 1080 colour film, in
// process, on one worker (the one-thread run) and on one worker a core. The
// two runs do the same work and write byte-identical files; compare the
// second with the first way by way. Run with repetitions and random
// interleaving (see bench/README.md) so that both see the same machine. The
// film is long enough that what a run pays once (starting the threads, the
// last frames made on fewer threads than cores, the final sync and rename)
// weighs on it as on a real film, not as on a handful of frames. The
// CPU column is the whole process's, all threads together: on a machine
// that other work keeps busy, the wall time shows the scheduler's share more
// than the work, and the CPU time shows what the threads cost.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "convert/converters.h"
#include "convert/frame_writers.h"
#include "film/ms_film.h"
#include "platform/log.h"
#include "platform/picture_memory.h"
#include "pattern_film.h"
#include "scratch_folder.h"

namespace plexo {
namespace {

constexpr int kFrames = 48;

// The sources in folders of their own, removed when the program ends.
class Sources {
public:
    Sources()
    {
        for (const char* kind : {"bmp", "jpg", "flm"})
            std::filesystem::create_directories(root / kind);
        bench::PatternFilm film(kFrames);
        ConversionOptions packed;
        packed.compress = 1;
        packed.quality = 90;
        if (!WriteBmpFrames(&film, (root / "bmp" / "walk").string(), {}) ||
            !WriteJpgFrames(&film, (root / "jpg" / "walk").string(), packed) ||
            !WriteFlmFile(&film, (root / "flm" / "walk.flm").string(), packed))
            std::abort();
    }
    bench::ScratchFolder scratch{"plexo-convert-bench"};
    const std::filesystem::path& root = scratch.path;
};

const std::filesystem::path& Root()
{
    // As plexo-tool and the viewer do at start-up.
    platform::KeepPictureMemoryForReuse();
    static const Sources sources;
    return sources.root;
}

struct Way {
    const char* label;
    ConversionWay way;
    const char* chosen;
    int factor;
    int compress;
};

const Way kWays[] = {
    {"bmp-jpg factor 1", ConversionWay::BmpToJpg, "bmp/walk0001.bmp", 1, 0},
    {"bmp-jpg factor 2", ConversionWay::BmpToJpg, "bmp/walk0001.bmp", 2, 0},
    {"jpg-bmp", ConversionWay::JpgToBmp, "jpg/walk0001.jpg", 1, 0},
    {"flm-bmp packed", ConversionWay::FlmToBmp, "flm/walk.flm", 1, 0},
    {"bmp-flm packed", ConversionWay::BmpToFlm, "bmp/walk0001.bmp", 1, 1},
};

// Each run writes beside its sources into a folder holding no earlier run's
// outputs: replacing them would also time the removal of the older files
// (30 ms for a 60 MB .flm here), which a first conversion does not pay.
void RemoveOutputs(const std::filesystem::path& source)
{
    for (const auto& entry : std::filesystem::directory_iterator(source.parent_path()))
        if (entry.path().extension() != source.extension())
            std::filesystem::remove(entry.path());
}

void BM_Convert(benchmark::State& state)
{
    const Way& way = kWays[state.range(0)];
    const std::string chosen = (Root() / way.chosen).string();
    ConversionOptions options;
    options.factor = way.factor;
    options.compress = way.compress;
    options.quality = 95;
    ConversionControl control;
    control.workers = int(state.range(1));
    for (auto _ : state) {
        state.PauseTiming();
        RemoveOutputs(chosen);
        state.ResumeTiming();
        if (Convert(way.way, chosen, options, control) != ConversionResult::Ok) {
            state.SkipWithError("the conversion failed");
            break;
        }
        platform::ClearLog();
    }
    state.SetLabel(std::string(way.label) + (control.workers == 1 ? ", one worker" : ", a worker a core"));
    state.SetItemsProcessed(int64_t(state.iterations()) * kFrames);
}

// The least of the repetitions, beside Google Benchmark's mean and median.
double MinOf(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

BENCHMARK(BM_Convert)
    ->ArgNames({"way", "workers"})
    ->ArgsProduct({{0, 1, 2, 3, 4}, {1, 0}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->Iterations(2)
    ->ComputeStatistics("min", MinOf);

}  // namespace
}  // namespace plexo
