// Page flipping at 1920 x 1080 over the in-memory display with the reference
// driver (drivers/K3V_DD.so).
//
// BM_ShowPair draws both eyes into free chain surfaces; BM_TwoCopies copies
// the same two pictures' bytes with memcpy, the floor to compare it with. The
// display's refresh clock is held meanwhile, so the driver waits for a blank
// that never comes and only ShowPair's own work is timed.
//
// BM_FlipTick is the viewer's playback tick while flipping, from a JPEG-packed
// .flm: a tick's step, ComposeFlipPair (both eyes composed, then ShowPair), with a
// thread of its own running the display's clock at 120 Hz, so ShowPair waits
// for a field as it must when both free surfaces are still to be shown.
// Ticks come one a 60th of a second. Arg 1 releases the pictures after every
// tick ("Alter" on: every tick decodes two JPEG frames), arg 0 keeps them.
// Counters: fps is ticks a second, late the ticks that finish after their
// 16.67 ms slot; CPU time is the ticking thread's own work.
//
// Run with the options bench/README.md gives.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>
#include <vector>

#include "doc/document.h"
#include "film/factories.h"
#include "play/tick_rules.h"
#include "present/dd_flipper.h"
#include "present/flip_pair.h"
#include "support/memory_display.h"

#include "pattern_film.h"
#include "scratch_folder.h"

namespace plexo {
namespace {

using bench::kHeight;
using bench::kWidth;

constexpr uint32_t kRefreshRate = 120;
const size_t kEyeBytes = size_t(kWidth) * kHeight * 3;

double Min(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

// The registry file and the film live in a folder removed at exit.
const std::filesystem::path& Scratch()
{
    static const bench::ScratchFolder folder("plexo-page-flip-bench");
    return folder.path;
}

// The reference driver flipping a chain on the in-memory display.
class MemoryFlipping {
public:
    MemoryFlipping()
    {
        const std::string registry = (Scratch() / "registry.ini").string();
        std::ofstream(registry) << "[SOFTWARE\\K3V]\nKORVA=" << PLEXO_REFERENCE_DRIVER_DIR << "\n";
        setenv("PLEXO_REGISTRY", registry.c_str(), 1);
        platform::SetDisplayOutput(display);
        flipper.Open();
        flipper.StartFlipping();
    }
    ~MemoryFlipping()
    {
        stop = true;
        if (clock.joinable())
            clock.join();
        display->RunFree();
        flipper.Close();
        flipper.ReleaseDirectDraw();
        platform::SetDisplayOutput(nullptr);
    }
    bool flipping() const { return flipper.driver() && flipper.count() == 3; }
    void RunClock()
    {
        clock = std::thread([this] {
            const auto period = std::chrono::nanoseconds(1'000'000'000 / kRefreshRate);
            auto next = std::chrono::steady_clock::now();
            while (!stop) {
                next += period;
                std::this_thread::sleep_until(next);
                display->Advance(1);
            }
        });
    }

    std::shared_ptr<platform::MemoryDisplay> display =
        std::make_shared<platform::MemoryDisplay>(kWidth, kHeight, kRefreshRate);
    DDFlipper flipper;
    std::thread clock;
    std::atomic<bool> stop{false};
};

std::vector<uint8_t> Eye(uint8_t seed)
{
    std::vector<uint8_t> eye(kEyeBytes);
    for (size_t i = 0; i < eye.size(); ++i)
        eye[i] = uint8_t(i * 7 + seed);
    return eye;
}

void BM_ShowPair(benchmark::State& state)
{
    MemoryFlipping flipping;
    if (!flipping.flipping()) {
        state.SkipWithError("the reference driver did not start flipping");
        return;
    }
    const std::vector<uint8_t> first = Eye(1), second = Eye(2);
    platform::BitmapInfoHeader header;
    header.width = kWidth;
    header.height = kHeight;
    for (auto _ : state) {
        flipping.flipper.ShowPair({0, 0, kWidth, kHeight}, header, first.data(), second.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(2 * kEyeBytes));
}

void BM_TwoCopies(benchmark::State& state)
{
    const std::vector<uint8_t> first = Eye(1), second = Eye(2);
    std::vector<uint8_t> a(kEyeBytes), b(kEyeBytes);
    for (auto _ : state) {
        std::memcpy(a.data(), first.data(), kEyeBytes);
        std::memcpy(b.data(), second.data(), kEyeBytes);
        benchmark::DoNotOptimize(a.data());
        benchmark::DoNotOptimize(b.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(2 * kEyeBytes));
}

BENCHMARK(BM_ShowPair)->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", Min);
BENCHMARK(BM_TwoCopies)->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", Min);

void BM_FlipTick(benchmark::State& state)
{
    CPlexoDoc doc;
    FilmPtr film = OpenFlmFilm(bench::PackedFilmFile(Scratch()));
    if (!film) {
        state.SkipWithError("no film");
        return;
    }
    film->SetRound(true);
    doc.SetFilm(std::move(film));
    doc.setStep(0);
    doc.setReading(CPlexoDoc::Reading(state.range(0)));
    MemoryFlipping flipping;
    if (!flipping.flipping()) {
        state.SkipWithError("the reference driver did not start flipping");
        return;
    }
    flipping.RunClock();
    FlipSections sections;
    const ViewRect view{0, 0, kWidth, kHeight};
    bool forward = true;
    const auto tick = [&] {
        play::TickFrames(*doc.film(), doc.step(), forward);
        ComposeFlipPair(view, *doc.film()->Pair(Tone::Colour), doc.stereo().adjust, flipping.flipper, sections);
        if (doc.reading() != CPlexoDoc::Reading::Memory)
            doc.film()->ReleasePictures();
    };
    // With the pictures kept, the first lap decodes them all.
    for (int i = 0; i < bench::kFrames + 1; ++i)
        tick();

    // One tick a 60th of a second; a tick that overruns its slot starts the
    // next one late.
    const auto period = std::chrono::duration_cast<std::chrono::steady_clock::duration>(
        std::chrono::duration<double>(1.0 / 60));
    auto slot = std::chrono::steady_clock::now();
    int64_t late = 0;
    for (auto _ : state) {
        tick();
        const auto finish = std::chrono::steady_clock::now();
        late += finish > slot + period;
        slot = std::max(slot + period, finish);
        std::this_thread::sleep_until(slot);
    }
    state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["late"] = double(late);
}
BENCHMARK(BM_FlipTick)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime()
    ->ComputeStatistics("min", Min);

}  // namespace
}  // namespace plexo
