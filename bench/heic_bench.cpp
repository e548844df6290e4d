// A phone's spatial photo of two 4032x3024 eyes (12 megapixels each): opening
// it as a film and having both eyes' pictures ready to show
// (BM_OpenAndShowHeic) beside libheif decoding the same two pictures to RGB
// itself (BM_LibheifDecodeBoth); and the whole HEIC export of that film at
// quality 90 (BM_ExportHeic) beside libheif encoding the same two pictures at
// the same quality into memory (BM_LibheifEncodeBoth).

#include <benchmark/benchmark.h>
#include <libheif/heif.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "convert/stereo_export.h"
#include "film/factories.h"
#include "image/heic_codec.h"
#include <cstdio>
#include "platform/log.h"
#include "platform/picture_memory.h"
#include "scratch_folder.h"

namespace plexo {
namespace {

constexpr int kWidth = 4032;
constexpr int kHeight = 3024;
constexpr int kQuality = 90;

bench::ScratchFolder& Folder()
{
    static bench::ScratchFolder folder("plexo-heic-bench");
    return folder;
}

// An eye of gradients with fine detail, as a photograph has, the second
// moved a little as the other camera sees it.
PictureBuffer Eye(int shift)
{
    PictureBuffer eye = PictureBuffer::allocate(kWidth, kHeight, 3);
    uint32_t noise = 12345;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth * 3; ++x) {
            noise = noise * 1664525 + 1013904223;
            eye.row(y)[x] = uint8_t(((x / 3 + shift) / 8 + y / 5 + (x % 3) * 60) % 200 + (noise >> 28));
        }
    return eye;
}

const std::vector<PictureBuffer>& Eyes()
{
    static const std::vector<PictureBuffer> eyes = [] {
        std::vector<PictureBuffer> made;
        made.push_back(Eye(0));
        made.push_back(Eye(24));
        return made;
    }();
    return eyes;
}

// The spatial photo, written once by our encoder.
const std::string& PhotoPath()
{
    static const std::string path = [] {
        const std::string out = (Folder().path / "spatial.heic").string();
        const auto bytes = EncodeSpatialHeic(Eyes()[0].view(), Eyes()[1].view(), kQuality, {}, {});
        FILE* file = bytes ? std::fopen(out.c_str(), "wb") : nullptr;
        if (!file || std::fwrite(bytes->data(), 1, bytes->size(), file) != bytes->size())
            std::abort();
        std::fclose(file);
        return out;
    }();
    return path;
}

void BM_OpenAndShowHeic(benchmark::State& state)
{
    const std::string& path = PhotoPath();
    for (auto _ : state) {
        FilmPtr film = OpenHeicFilm(path);
        if (!film || film->Eyes() != 2 || !FilmPicture(*film, Eye::Current, Tone::Colour) ||
            !FilmPicture(*film, Eye::Partner, Tone::Colour)) {
            state.SkipWithError("the photo does not open as a pair");
            break;
        }
    }
}

void BM_LibheifDecodeBoth(benchmark::State& state)
{
    const std::string& path = PhotoPath();
    for (auto _ : state) {
        heif_context* context = heif_context_alloc();
        heif_item_id ids[2];
        if (heif_context_read_from_file(context, path.c_str(), nullptr).code != heif_error_Ok ||
            heif_context_get_list_of_top_level_image_IDs(context, ids, 2) != 2) {
            state.SkipWithError("libheif does not read the photo");
            heif_context_free(context);
            break;
        }
        for (const heif_item_id id : ids) {
            heif_image_handle* handle = nullptr;
            heif_image* image = nullptr;
            heif_context_get_image_handle(context, id, &handle);
            heif_decode_image(handle, &image, heif_colorspace_RGB, heif_chroma_interleaved_RGB, nullptr);
            benchmark::DoNotOptimize(image);
            heif_image_release(image);
            heif_image_handle_release(handle);
        }
        heif_context_free(context);
    }
}

void BM_ExportHeic(benchmark::State& state)
{
    platform::KeepPictureMemoryForReuse();
    FilmPtr film = OpenHeicFilm(PhotoPath());
    const std::string out = (Folder().path / "out.heic").string();
    ExportOptions options;
    options.quality = kQuality;
    for (auto _ : state) {
        if (!film || Export(*film, out, options) != ExportResult::Ok) {
            state.SkipWithError("the export failed");
            break;
        }
        platform::ClearLog();
    }
}

heif_error Collect(heif_context*, const void* data, size_t size, void* into)
{
    auto* out = static_cast<std::vector<uint8_t>*>(into);
    out->insert(out->end(), static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size);
    return {heif_error_Ok, heif_suberror_Unspecified, "ok"};
}

void BM_LibheifEncodeBoth(benchmark::State& state)
{
    // The eyes as libheif takes them, top row first, red first: made before
    // the rounds, as a caller holding RGB pictures has them.
    std::vector<heif_image*> images;
    for (const PictureBuffer& eye : Eyes()) {
        heif_image* image = nullptr;
        heif_image_create(kWidth, kHeight, heif_colorspace_RGB, heif_chroma_interleaved_RGB, &image);
        heif_image_add_plane(image, heif_channel_interleaved, kWidth, kHeight, 8);
        int stride = 0;
        uint8_t* rgb = heif_image_get_plane(image, heif_channel_interleaved, &stride);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                for (int c = 0; c < 3; ++c)
                    rgb[y * stride + x * 3 + c] = eye.view().row(kHeight - 1 - y)[x * 3 + 2 - c];
        images.push_back(image);
    }
    for (auto _ : state) {
        heif_context* context = heif_context_alloc();
        heif_encoder* encoder = nullptr;
        heif_context_get_encoder_for_format(context, heif_compression_HEVC, &encoder);
        heif_encoder_set_lossy_quality(encoder, kQuality);
        for (heif_image* image : images)
            heif_context_encode_image(context, image, encoder, nullptr, nullptr);
        std::vector<uint8_t> written;
        heif_writer writer{1, Collect};
        heif_context_write(context, &writer, &written);
        benchmark::DoNotOptimize(written.data());
        heif_encoder_release(encoder);
        heif_context_free(context);
    }
    for (heif_image* image : images)
        heif_image_release(image);
}

double MinOf(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

// The decoders and encoders run threads of their own: wall time is the
// measure, the main thread's CPU time only a part of it.
BENCHMARK(BM_OpenAndShowHeic)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->UseRealTime()
    ->ComputeStatistics("min", MinOf);
BENCHMARK(BM_LibheifDecodeBoth)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->UseRealTime()
    ->ComputeStatistics("min", MinOf);
BENCHMARK(BM_ExportHeic)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime()
    ->ComputeStatistics("min", MinOf);
BENCHMARK(BM_LibheifEncodeBoth)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime()
    ->ComputeStatistics("min", MinOf);

}  // namespace
}  // namespace plexo
