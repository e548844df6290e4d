// A video's subtitle streams from any bytes: each stream is opened as the
// viewer does (picture streams decoded to their bitmaps), drawn at the
// moments it names over eyes of other sizes, so that bitmaps are scaled, and
// drawn again after the others, so that they are decoded again.
#include "fuzz_input.h"
#include "subtitle/picture_subtitles.h"
#include "subtitle/stream_subtitles.h"

namespace {

void Check(const plexo::subtitle::SubtitleBitmap& bitmap, const plexo::subtitle::Canvas& canvas, bool clipped)
{
    if (bitmap.empty())
        return;
    if (bitmap.bgra.size() != size_t(bitmap.width) * size_t(bitmap.height) * 4 ||
        (clipped && (bitmap.x < 0 || bitmap.y < 0 || bitmap.x + bitmap.width > canvas.width ||
                     bitmap.y + bitmap.height > canvas.height)))
        __builtin_trap();
    volatile unsigned sink = plexo::fuzz::Touch(bitmap.bgra.data(), bitmap.width, bitmap.height, 4);
    (void)sink;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace plexo::subtitle;
    const std::string path = plexo::fuzz::WriteInput("input.mkv", data, size);
    const Canvas canvases[] = {CanvasOf(96, 64), CanvasOf(720, 480), {96, 64, 48, 64}};
    for (const SubtitleTrack& track : SubtitleStreams(path)) {
        std::string why;
        SubtitleSourcePtr source = OpenSubtitleStream(path, track.stream, why);
        if (!source) {
            if (why.empty())
                __builtin_trap();
            continue;
        }
        std::vector<int64_t> times;
        for (std::optional<EventSpan> next = source->NextEvent(-1); next && times.size() < 6;
             next = source->NextEvent(next->start))
            times.push_back(next->start);
        for (int pass = 0; pass < 2; ++pass)
            for (size_t i = 0; i < times.size(); ++i) {
                const Canvas& canvas = canvases[(i + size_t(pass)) % 3];
                Check(source->Render(times[i], canvas), canvas, false);
            }
    }
    // A bitmap the input shapes scaled from a frame it states.
    if (size >= 8) {
        SubtitleBitmap from = ClearBitmap(int8_t(data[0]) * 4, int8_t(data[1]) * 4, 1 + data[2] % 64, 1 + data[3] % 64);
        for (size_t i = 0; i < from.bgra.size(); ++i)
            from.bgra[i] = data[i % size];
        const Canvas canvas = CanvasOf(1 + data[4] * 3, 1 + data[5] * 2);
        Check(ScaledBitmap(from, 1 + data[6] * 31, 1 + data[7] * 17, canvas), canvas, true);
    }
    return 0;
}
