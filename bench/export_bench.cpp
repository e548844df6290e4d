// Exporting one 1920x1080 pair as an MPO file: the whole export of a
// two-view film whose side-by-side picture of 3840x1080 is in memory
// (BM_ExportMpo) or read from a BMP file in a scratch folder each round
// (BM_ExportMpoFromBmp), both eyes encoded at quality 95 straight from the
// picture and written through the atomic file; beside libjpeg-turbo encoding
// the same two eyes at the same quality and 4:2:0, one after the other
// (BM_TwoTurboJpegEncodes); and the MPO writer alone on the two eyes
// (BM_MpoWriterPut).

#include <benchmark/benchmark.h>
#include <turbojpeg.h>

#include <algorithm>
#include <vector>

#include "convert/export_stills.h"
#include "convert/stereo_export.h"
#include "film/factories.h"
#include "film/still_source.h"
#include "image/write_bmp_file.h"
#include "platform/log.h"
#include "platform/picture_memory.h"
#include "scratch_folder.h"

namespace plexo {
namespace {

constexpr int kEye = 1920;
constexpr int kHeight = 1080;

// A textured picture of both eyes side by side, bottom row first, blue,
// green, red: gradients with fine detail, as a photograph has.
const std::vector<uint8_t>& PairPixels()
{
    static const std::vector<uint8_t> pixels = [] {
        std::vector<uint8_t> bytes(size_t(2 * kEye) * kHeight * 3);
        uint32_t noise = 12345;
        for (size_t i = 0; i < bytes.size(); ++i) {
            noise = noise * 1664525 + 1013904223;
            const size_t x = i / 3 % (2 * kEye), y = i / 3 / (2 * kEye);
            bytes[i] = uint8_t((x / 8 + y / 5 + (i % 3) * 60) % 200 + (noise >> 28));
        }
        return bytes;
    }();
    return pixels;
}

bench::ScratchFolder& Folder()
{
    static bench::ScratchFolder folder("plexo-export-bench");
    return folder;
}

void ExportEachRound(benchmark::State& state, Film& film)
{
    // As the viewer and the tool do at start.
    platform::KeepPictureMemoryForReuse();
    const std::string out = (Folder().path / "pair.mpo").string();
    for (auto _ : state) {
        if (Export(film, out, {}) != ExportResult::Ok) {
            state.SkipWithError("the export failed");
            break;
        }
        platform::ClearLog();
    }
    state.SetItemsProcessed(state.iterations());
}

// The pair already in memory, as the reference's eyes are: the export's own
// cost.
void BM_ExportMpo(benchmark::State& state)
{
    const Picture pair{PairPixels().data(), 2 * kEye, kHeight, 3};
    const StillDecoder inMemory = [pair](const std::string&, SourceFrame& frame) {
        frame.picture = pair;
        return true;
    };
    FilmPtr film = StillTwoViewFilm({{1, "pair0001.bmp"}}, inMemory,
                                    {{LayoutKind::SideBySide, false, false}, LayoutOrigin::User});
    ExportEachRound(state, *film);
}

// The pair read from a side-by-side BMP file each round.
void BM_ExportMpoFromBmp(benchmark::State& state)
{
    const Picture pair{PairPixels().data(), 2 * kEye, kHeight, 3};
    const std::string source = (Folder().path / "pair0001.bmp").string();
    const std::vector<uint8_t> header = BitmapHeaderFor(pair);
    if (!WriteBmpFile(source, header.data(), pair.data)) {
        state.SkipWithError("cannot write the source");
        return;
    }
    FilmPtr film = OpenBmpFilm(source, StereoLayout{LayoutKind::SideBySide, false, false});
    if (!film || film->Eyes() != 2) {
        state.SkipWithError("cannot open the source as a pair");
        return;
    }
    ExportEachRound(state, *film);
}

// The MPO writer alone on the two eyes: both encodes, the index, the durable
// write.
void BM_MpoWriterPut(benchmark::State& state)
{
    platform::KeepPictureMemoryForReuse();
    const Picture pair{PairPixels().data(), 2 * kEye, kHeight, 3};
    const ExportOptions options;
    const ExportStart start{(Folder().path / "put.mpo").string(), 2 * kEye, kHeight, 0, 1, &options};
    for (auto _ : state) {
        const std::unique_ptr<ExportWriter> writer = OpenMpoWriter(start);
        if (!writer || !writer->PutEye(0, pair.subview(0, 0, kEye, kHeight), 1) ||
            !writer->PutEye(1, pair.subview(kEye, 0, kEye, kHeight), 1) || !writer->Finish()) {
            state.SkipWithError("the writer failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_TwoTurboJpegEncodes(benchmark::State& state)
{
    tjhandle handle = tjInitCompress();
    const int pitch = 2 * kEye * 3;
    std::vector<unsigned char> block(tjBufSize(kEye, kHeight, TJSAMP_420));
    for (auto _ : state)
        for (int eye = 0; eye < 2; ++eye) {
            unsigned char* out = block.data();
            unsigned long size = block.size();
            if (tjCompress2(handle, PairPixels().data() + eye * kEye * 3, kEye, pitch, kHeight, TJPF_BGR, &out,
                            &size, TJSAMP_420, 95, TJFLAG_BOTTOMUP | TJFLAG_NOREALLOC) != 0)
                state.SkipWithError("the encode failed");
            benchmark::DoNotOptimize(size);
        }
    tjDestroy(handle);
    state.SetItemsProcessed(state.iterations());
}

double MinOf(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

BENCHMARK(BM_ExportMpo)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->ComputeStatistics("min", MinOf);
BENCHMARK(BM_ExportMpoFromBmp)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->ComputeStatistics("min", MinOf);
BENCHMARK(BM_MpoWriterPut)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->ComputeStatistics("min", MinOf);
BENCHMARK(BM_TwoTurboJpegEncodes)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime()
    ->ComputeStatistics("min", MinOf);

}  // namespace
}  // namespace plexo
