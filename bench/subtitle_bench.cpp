// Subtitles in 3D over a made 1920 × 1080 stereo clip held in memory: a
// background of noise on the screen plane and a square of noise in front of
// it, its disparity rising from 4 to 40 pixels and falling back while it
// crosses under a 6-second subtitle (150 frames at 25 a second).
//
//   BM_SubtitleFrame/0: drawing with automatic depth as the viewer plays
//     (each frame measured, no look ahead), /1 with the look ahead of an
//     export, /2 at a fixed depth (drawing alone, nothing measured), /3
//     with the viewer's look ahead: a worker thread, asked early, the
//     frames paced at 25 a second after a second without subtitle (the
//     cost counts the drawing thread's CPU only); the cost a frame beside BM_CopyPair (the two eyes copied, the
//     floor of drawing into owned copies), ms_per_frame (shown with an "s"
//     for Google Benchmark's unit: milliseconds of CPU a frame). Counters:
//     in_front, the share of the frames with the square under the text
//     whose subtitle disparity exceeds the square's; max_step, the largest
//     change of the subtitle's disparity between frames.
//   BM_Measure: the measuring of the depth alone, ms_per_frame.
//   BM_TextMatch: each eye's text against libass's own rendering of the
//     event, blended into the same picture and moved by ⌈d/2⌉ and −⌊d/2⌋
//     whole pixels; counter max_diff, the largest difference of a byte.

#include <benchmark/benchmark.h>

extern "C" {
#include <ass/ass.h>
}

#include <algorithm>
#include <chrono>
#include <thread>
#include <cstring>
#include <random>
#include <vector>

#include "subtitle/ahead_worker.h"
#include "subtitle/ass_subtitles.h"
#include "subtitle/subtitle_stage.h"
#include "subtitle/text_cues.h"

namespace plexo::subtitle {
namespace {

constexpr int kW = 1920, kH = 1080, kFrames = 150, kSquare = 320;
constexpr int64_t kFrameUs = 40'000;
const char kCue[] = "1\n00:00:00,000 --> 00:00:06,000\nThe square passes under this line of text\n";

// The square's disparity at frame n: 4 up to 40 and back.
int SquareDisparity(int n) { return 4 + 36 * (n < kFrames / 2 ? n : kFrames - n) / (kFrames / 2); }
int SquareLeft(int n) { return 200 + n * 8; }

struct Clip {
    std::vector<EyePairPtr> pairs;

    Clip()
    {
        std::mt19937 random(7);
        std::vector<uint8_t> background(size_t(kW) * kH), square(size_t(kSquare) * kSquare);
        for (auto& b : background)
            b = uint8_t(random());
        for (auto& b : square)
            b = uint8_t(random());
        for (int n = 0; n < kFrames; ++n) {
            PictureBuffer eyes[2] = {PictureBuffer::allocate(kW, kH, 3), PictureBuffer::allocate(kW, kH, 3)};
            const int d = SquareDisparity(n);
            for (int e = 0; e < 2; ++e) {
                // First eye's copy ⌈d/2⌉ right, second's ⌊d/2⌋ left.
                const int left = SquareLeft(n) + (e == 0 ? d - d / 2 : -(d / 2));
                for (int y = 0; y < kH; ++y) {
                    uint8_t* row = eyes[e].row(kH - 1 - y);
                    for (int x = 0; x < kW; ++x) {
                        const bool in = y >= kH - kSquare && x >= left && x < left + kSquare;
                        const uint8_t v = in ? square[size_t(y - (kH - kSquare)) * kSquare + size_t(x - left)]
                                             : background[size_t(y) * kW + size_t(x)];
                        std::memset(row + size_t(x) * 3, v, 3);
                    }
                }
            }
            pairs.push_back(CopiedPair(eyes[0].view(), eyes[1].view(), n, n, n * kFrameUs));
        }
    }
};

const Clip& TheClip()
{
    static const Clip clip;
    return clip;
}

// The cue, `laterUs` later.
SubtitleSourcePtr Source(int64_t laterUs = 0)
{
    std::string why;
    std::vector<TextEvent> events = ReadCues(kCue, CueFormat::SubRip);
    events[0].text = DefaultStyleLine(0, events[0].text);
    events[0].startMs += laterUs / 1000;
    return AssEventSubtitles(DefaultAssHeader(), events, {}, why);
}

void BM_SubtitleFrame(benchmark::State& state)
{
    const Clip& clip = TheClip();
    const bool ahead = state.range(0) == 1, worker = state.range(0) == 3;
    const int64_t later = worker ? 1'000'000 : 0;
    StageOptions options;
    if (state.range(0) == 2)
        options.depth = {DepthMode::Fixed, 44};
    const SubtitleBitmap text = Source()->Render(kFrameUs * kFrames / 2, CanvasOf(kW, kH));
    double inFront = 0, under = 0;
    int maxStep = 0;
    for (auto _ : state) {
        // Opening the track (fontconfig's set-up) is not a frame's cost.
        state.PauseTiming();
        SubtitleStage stage(Source(later));
        auto measurer = std::make_shared<AheadWorker>();
        state.ResumeTiming();
        const LookAhead measure = [&clip, later](const EventSpan& event, const Box& box) -> std::optional<int> {
                std::optional<int> nearest;
                const int first = int((event.start - later) / kFrameUs);
                const int last = std::min(kFrames, int((event.end - later) / kFrameUs));
                for (int n = first; n < last; n += std::max(1, (last - first) / 48))
                    if (auto d = NearestDisparity(clip.pairs[n]->first, clip.pairs[n]->second, box, 96))
                        nearest = std::max(nearest.value_or(*d), *d);
                return nearest;
            };
        if (ahead)
            stage.SetLookAhead(measure);
        if (worker) {
            measurer->Start(measure);
            stage.SetAheadAsk([measurer](const EventSpan& event, const Box& box, bool early) {
                return measurer->Ask(event, box, early);
            });
            auto none = std::make_shared<EyePair>(*clip.pairs[0]);
            for (int n = 0; n < 25; ++n) {
                none->timestampUs = n * kFrameUs;
                benchmark::DoNotOptimize(stage.Apply(none, options));
                std::this_thread::sleep_for(std::chrono::microseconds(kFrameUs));
            }
        }
        inFront = under = 0;
        maxStep = 0;
        int last = INT32_MIN;
        for (int n = 0; n < kFrames; ++n) {
            if (worker) {
                auto timed = std::make_shared<EyePair>(*clip.pairs[n]);
                timed->timestampUs += later;
                benchmark::DoNotOptimize(stage.Apply(timed, options));
                std::this_thread::sleep_for(std::chrono::microseconds(kFrameUs));
            } else {
                benchmark::DoNotOptimize(stage.Apply(clip.pairs[n], options));
            }
            const int d = stage.lastDisparity();
            if (last != INT32_MIN)
                maxStep = std::max(maxStep, std::abs(d - last));
            last = d;
            // The square's copies span both eyes' columns.
            const int sd = SquareDisparity(n);
            if (SquareLeft(n) - sd / 2 < text.x + text.width && SquareLeft(n) + kSquare + sd > text.x) {
                under += 1;
                inFront += d > sd ? 1 : 0;
            }
        }
    }
    state.counters["ms_per_frame"] = benchmark::Counter(double(state.iterations()) * kFrames / 1000,
                                                        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["in_front"] = inFront / under;
    state.counters["frames_under"] = under;
    state.counters["max_step"] = maxStep;
}
BENCHMARK(BM_SubtitleFrame)->Arg(0)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_CopyPair(benchmark::State& state)
{
    const Clip& clip = TheClip();
    for (auto _ : state)
        for (int n = 0; n < kFrames; ++n)
            benchmark::DoNotOptimize(CopiedPair(clip.pairs[n]->first, clip.pairs[n]->second, n, n, n * kFrameUs));
    state.counters["ms_per_frame"] = benchmark::Counter(double(state.iterations()) * kFrames / 1000,
                                                        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_CopyPair)->Unit(benchmark::kMillisecond)->Iterations(2);

// The depth's measuring alone: the content under the text's box, widened
// as the stage widens it, in each frame.
void BM_Measure(benchmark::State& state)
{
    const Clip& clip = TheClip();
    const SubtitleBitmap text = Source()->Render(kFrameUs * kFrames / 2, CanvasOf(kW, kH));
    const Box box{text.x - 16, text.y, text.width + 32, text.height};
    for (auto _ : state)
        for (int n = 0; n < kFrames; ++n)
            benchmark::DoNotOptimize(NearestDisparity(clip.pairs[n]->first, clip.pairs[n]->second, box, 96));
    state.counters["ms_per_frame"] = benchmark::Counter(double(state.iterations()) * kFrames / 1000,
                                                        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_Measure)->Unit(benchmark::kMillisecond)->Iterations(2);

// The drawing alone: the text's two copies, 44 pixels apart, into owned
// eyes (drawn over again and again: the cost is the same).
void BM_Draw(benchmark::State& state)
{
    const Clip& clip = TheClip();
    const SubtitleBitmap text = Source()->Render(kFrameUs * kFrames / 2, CanvasOf(kW, kH));
    const EyePairPtr eyes = CopiedPair(clip.pairs[0]->first, clip.pairs[0]->second, 0, 0, 0);
    for (auto _ : state)
        for (int n = 0; n < kFrames; ++n) {
            DrawBitmap(text, 22, eyes->first);
            DrawBitmap(text, -22, eyes->second);
        }
    state.counters["ms_per_frame"] = benchmark::Counter(double(state.iterations()) * kFrames / 1000,
                                                        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["box_pixels"] = double(text.width) * text.height;
}
BENCHMARK(BM_Draw)->Unit(benchmark::kMillisecond)->Iterations(2);

// libass's images blended straight into a copy of the eye, `shift` columns
// to the right, as players blend them.
std::vector<uint8_t> LibassOwn(const Picture& eye, int shift)
{
    std::vector<uint8_t> out(eye.byteCount());
    for (int r = 0; r < eye.height; ++r)
        std::memcpy(out.data() + size_t(r) * eye.rowBytes(), eye.row(r), eye.rowBytes());
    ASS_Library* library = ass_library_init();
    ASS_Renderer* renderer = ass_renderer_init(library);
    ass_set_fonts(renderer, nullptr, "sans-serif", ASS_FONTPROVIDER_AUTODETECT, nullptr, 1);
    ass_set_frame_size(renderer, eye.width, eye.height);
    ass_set_storage_size(renderer, eye.width, eye.height);
    ASS_Track* track = ass_new_track(library);
    std::string header = DefaultAssHeader();
    ass_process_codec_private(track, header.data(), int(header.size()));
    std::vector<TextEvent> events = ReadCues(kCue, CueFormat::SubRip);
    std::string chunk = DefaultStyleLine(0, events[0].text);
    ass_process_chunk(track, chunk.data(), int(chunk.size()), events[0].startMs, events[0].durationMs);
    for (const ASS_Image* i = ass_render_frame(renderer, track, 3000, nullptr); i; i = i->next) {
        const int opacity = 255 - int(i->color & 0xFF);
        const int rgb[3] = {int((i->color >> 8) & 0xFF), int((i->color >> 16) & 0xFF), int(i->color >> 24)};
        for (int y = 0; y < i->h; ++y)
            for (int x = 0; x < i->w; ++x) {
                const int px = i->dst_x + x + shift, py = i->dst_y + y;
                if (px < 0 || px >= eye.width || py < 0 || py >= eye.height)
                    continue;
                const int a = (i->bitmap[y * i->stride + x] * opacity + 127) / 255;
                uint8_t* d = out.data() + size_t(eye.height - 1 - py) * eye.rowBytes() + size_t(px) * 3;
                for (int c = 0; c < 3; ++c)
                    d[c] = uint8_t((rgb[c] * a + d[c] * (255 - a) + 127) / 255);
            }
    }
    ass_free_track(track);
    ass_renderer_done(renderer);
    ass_library_done(library);
    return out;
}

void BM_TextMatch(benchmark::State& state)
{
    const int d = int(state.range(0));
    const EyePairPtr pair = TheClip().pairs[75];
    int maxDiff = 0;
    for (auto _ : state) {
        SubtitleStage stage(Source());
        StageOptions options;
        options.depth = {DepthMode::Fixed, d};
        const EyePairPtr drawn = stage.Apply(pair, options);
        const std::vector<uint8_t> first = LibassOwn(pair->first, d - d / 2);
        const std::vector<uint8_t> second = LibassOwn(pair->second, -(d / 2));
        maxDiff = 0;
        for (size_t i = 0; i < first.size(); ++i) {
            maxDiff = std::max(maxDiff, std::abs(int(drawn->first.data[i]) - int(first[i])));
            maxDiff = std::max(maxDiff, std::abs(int(drawn->second.data[i]) - int(second[i])));
        }
    }
    state.counters["max_diff"] = maxDiff;
}
BENCHMARK(BM_TextMatch)->Arg(0)->Arg(7)->Arg(24)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace plexo::subtitle
