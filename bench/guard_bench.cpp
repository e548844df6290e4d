// The guardian's reading of its pipe: 10,000 to 160,000 outputs told, each
// once (`BM_GuardTranscript`), against splitting the same bytes into lines
// (`BM_SplitLines`); linear in the outputs.

#include <benchmark/benchmark.h>

#include <string>
#include <string_view>

#include "platform/mode_guard.h"

namespace {

using namespace plexo::platform;

std::string Told(int64_t outputs)
{
    std::string text;
    for (int64_t i = 0; i < outputs; ++i)
        text += GuardLine({"OUT-" + std::to_string(i), {32, 1920, 1080, 60}});
    return text;
}

void BM_GuardTranscript(benchmark::State& state)
{
    const std::string text = Told(state.range(0));
    for (auto _ : state) {
        GuardTranscript transcript;
        transcript.Take(text);
        benchmark::DoNotOptimize(transcript.ToRestore());
    }
    state.counters["per_output"] = benchmark::Counter(
        double(state.range(0)), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_GuardTranscript)->RangeMultiplier(4)->Range(10000, 160000)->Unit(benchmark::kMillisecond);

void BM_SplitLines(benchmark::State& state)
{
    const std::string text = Told(state.range(0));
    for (auto _ : state) {
        size_t lines = 0;
        for (std::string_view rest = text; !rest.empty(); ++lines) {
            const size_t end = rest.find('\n');
            benchmark::DoNotOptimize(std::string(rest.substr(0, end)));
            rest.remove_prefix(end + 1);
        }
        benchmark::DoNotOptimize(lines);
    }
}
BENCHMARK(BM_SplitLines)->RangeMultiplier(4)->Range(10000, 160000)->Unit(benchmark::kMillisecond);

}  // namespace
