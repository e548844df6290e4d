// Composing one frame from 1920 × 1080 pictures already decoded, beside the
// floors of copying the same output bytes (memcpy; memset + memcpy for the
// stereo compositors, which start from black; for those that read both
// eyes' colour pictures, clearing the frame and copying both eyes' bytes),
// and turning the frame into the window's 32-bit rows beside a memcpy of
// those rows.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <memory>
#include <vector>

#include "film/two_films.h"
#include "present/compositor.h"
#include "present/screen_rows.h"

namespace plexo {
namespace {

// The least of the repetitions, beside Google Benchmark's mean and median.
double MinOf(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

// A film of two decoded frames, the current one and its partner, that only
// hands out its pictures.
class DecodedFilm : public Film {
public:
    DecodedFilm(int width, int height)
    {
        for (int k = 0; k < 2; ++k) {
            grey_[k] = Fill(PictureBuffer::allocate(width, height, 1), k);
            colour_[k] = Fill(PictureBuffer::allocate(width, height, 3), k);
        }
    }

    const uint8_t* EyePicture(Eye eye, Tone tone, int32_t& w, int32_t& h) override
    {
        return Give((tone == Tone::Grey ? grey_ : colour_)[eye == Eye::Current ? 0 : 1], w, h);
    }
    StepRules Rules() const override { return {.shift = 1}; }
    void SetRules(const StepRules&) override {}
    int32_t FrameNumber() const override { return 0; }
    int32_t PartnerNumber() const override { return 1; }
    int32_t FrameCount() const override { return 2; }
    void ReleasePictures() override {}
    int32_t Position() const override { return 0; }
    bool Seek(int32_t) override { return true; }
    int32_t Skip(int32_t) override { return 0; }

private:
    static PictureBuffer Fill(PictureBuffer p, int seed)
    {
        for (size_t i = 0; i < p.byteCount(); ++i)
            p.bytes[i] = uint8_t(i * 7 + size_t(seed) * 13);
        return p;
    }
    static const uint8_t* Give(const PictureBuffer& p, int32_t& w, int32_t& h)
    {
        w = p.width;
        h = p.height;
        return p.bytes.get();
    }

    PictureBuffer grey_[2];
    PictureBuffer colour_[2];
};

void BM_Floor(benchmark::State& state)
{
    const size_t n = size_t(state.range(0));
    std::vector<uint8_t> from(n, 0x5a), to(n);
    for (auto _ : state) {
        std::memset(to.data(), 0, n);
        benchmark::ClobberMemory();
        std::memcpy(to.data(), from.data(), n);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(n));
}
BENCHMARK(BM_Floor)->Arg(kWidth * kHeight * 3)->Arg(kWidth * kHeight)->Unit(benchmark::kMicrosecond)
    ->ComputeStatistics("min", MinOf);

void BM_Memcpy(benchmark::State& state)
{
    const size_t n = size_t(state.range(0));
    std::vector<uint8_t> from(n, 0x5a), to(n);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), n);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(n));
}
// The frame's bytes, and the window's 32-bit rows.
BENCHMARK(BM_Memcpy)->Arg(kWidth * kHeight * 3)->Arg(kWidth * kHeight * 4)->Unit(benchmark::kMicrosecond)
    ->ComputeStatistics("min", MinOf);

// At the presentation's natural size for the eyes.
void Compose(benchmark::State& state, PresentationId presentation)
{
    DecodedFilm film(kWidth, kHeight);
    FrameBuffer frame;
    const PixelSize size = NaturalSize(PresentationOf(presentation), kWidth, kHeight);
    const ViewRect view{0, 0, int32_t(size.width), int32_t(size.height)};
    for (auto _ : state) {
        ComposeFrame(&film, {.dist = 21}, view, PresentationOf(presentation), frame);
        benchmark::DoNotOptimize(frame.bytes());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(frame.byteCount()));
}

// What no compositor of both eyes' colour pictures can avoid: clearing a
// frame of range(0) eyes' size and copying range(1) eyes' bytes into it.
void BM_EyesFloor(benchmark::State& state)
{
    const size_t eye = size_t(kWidth) * kHeight * 3;
    const size_t frameBytes = eye * size_t(state.range(0));
    std::vector<uint8_t> eyes[2] = {std::vector<uint8_t>(eye, 0x5a), std::vector<uint8_t>(eye, 0xa5)};
    std::vector<uint8_t> to(frameBytes);
    for (auto _ : state) {
        std::memset(to.data(), 0, frameBytes);
        benchmark::ClobberMemory();
        for (int64_t k = 0; k < state.range(1); ++k)
            std::memcpy(to.data() + (frameBytes - eye) * size_t(k), eyes[k].data(), eye);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(frameBytes));
}
// One eye's frame with both eyes, two eyes' frame with both, one eye alone.
BENCHMARK(BM_EyesFloor)->Args({1, 2})->Args({2, 2})->Args({1, 1})->Unit(benchmark::kMicrosecond)
    ->ComputeStatistics("min", MinOf);

// Every presentation after the first four, named by its --mode.
const bool kEveryPresentation = [] {
    for (const Presentation& p : Presentations())
        if (p.id > PresentationId::PageFlip)
            benchmark::RegisterBenchmark(("BM_Compose/" + std::string(p.name)).c_str(),
                                         [id = p.id](benchmark::State& state) { Compose(state, id); })
                ->Unit(benchmark::kMicrosecond)
                ->ComputeStatistics("min", MinOf);
    return true;
}();

void BM_Plain(benchmark::State& state) { Compose(state, PresentationId::Plain); }
void BM_RedBlue(benchmark::State& state) { Compose(state, PresentationId::RedBlue); }
void BM_Interlaced(benchmark::State& state) { Compose(state, PresentationId::Interlaced); }
BENCHMARK(BM_Plain)->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", MinOf);
BENCHMARK(BM_RedBlue)->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", MinOf);
BENCHMARK(BM_Interlaced)->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", MinOf);

// The frame-to-window step of the view, into rows of its own stride.
void BM_FrameToScreen(benchmark::State& state)
{
    DecodedFilm film(kWidth, kHeight);
    FrameBuffer frame;
    ComposeFrame(&film, {.dist = 21}, {0, 0, kWidth, kHeight}, PresentationOf(PresentationId::Plain), frame);
    std::vector<uint8_t> screen(size_t(kWidth) * kHeight * 4);
    for (auto _ : state) {
        FrameToScreenRows(frame.picture(), {screen.data(), kWidth, kHeight, size_t(kWidth) * 4});
        benchmark::DoNotOptimize(screen.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(screen.size()));
}
BENCHMARK(BM_FrameToScreen)->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", MinOf);

// Two films of half the width side by side: a composite of the full frame's
// size. Arg 0 asks for grey pictures, 1 for colour.
void BM_TwoFilmsComposite(benchmark::State& state)
{
    FilmPtr pair = PairFilms(std::make_unique<DecodedFilm>(kWidth / 2, kHeight),
                             std::make_unique<DecodedFilm>(kWidth / 2, kHeight), kAddRight);
    const bool colour = state.range(0) != 0;
    int32_t w = 0, h = 0;
    for (auto _ : state) {
        const uint8_t* p = colour ? pair->ColourPicture(w, h) : pair->GreyPicture(w, h);
        benchmark::DoNotOptimize(p);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * w * h * (colour ? 3 : 1));
}
BENCHMARK(BM_TwoFilmsComposite)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", MinOf);

// The view paints a two-film pair through the compositors.
void BM_TwoFilmsRedBlue(benchmark::State& state)
{
    FilmPtr pair = PairFilms(std::make_unique<DecodedFilm>(kWidth / 2, kHeight),
                             std::make_unique<DecodedFilm>(kWidth / 2, kHeight), kAddRight);
    FrameBuffer frame;
    const ViewRect view{0, 0, kWidth, kHeight};
    for (auto _ : state) {
        ComposeFrame(pair.get(), {.dist = 21}, view, PresentationOf(PresentationId::RedBlue), frame);
        benchmark::DoNotOptimize(frame.bytes());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(frame.byteCount()));
}
BENCHMARK(BM_TwoFilmsRedBlue)->Unit(benchmark::kMicrosecond)->ComputeStatistics("min", MinOf);

}  // namespace
}  // namespace plexo
