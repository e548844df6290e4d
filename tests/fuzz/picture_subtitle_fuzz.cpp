// A video's picture subtitles from any bytes. With the first byte's top bit
// set the rest is the file; else its low bits choose PGS, DVD or DVB
// subtitles and the rest is their private data, then packets, each after
// its 16-bit length, muxed into Matroska a tenth of a second apart. Each
// stream is opened as the viewer does, and drawn at the moments it names
// over eyes of other sizes, so that bitmaps are scaled; the first picture
// stream again keeping no bitmap, so that each is decoded again when drawn.
#include "subtitle_mux.h"
#include "fuzz_input.h"
#include "subtitle/picture_stream.h"
#include "subtitle/stream_subtitles.h"
#include "video/video_input.h"

namespace {

using namespace plexo::subtitle;

void Check(const SubtitleBitmap& bitmap, const Canvas& canvas, bool clipped)
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

// Each moment the source names, twice over, over eyes of three sizes.
void Draw(SubtitleSourcePtr source, const std::string& why)
{
    if (!source) {
        if (why.empty())
            __builtin_trap();
        return;
    }
    const Canvas canvases[] = {CanvasOf(96, 64), CanvasOf(720, 480), {96, 64, 48, 64}};
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

std::string Muxed(const uint8_t* data, size_t size)
{
    static const AVCodecID kCodecs[] = {AV_CODEC_ID_HDMV_PGS_SUBTITLE, AV_CODEC_ID_DVD_SUBTITLE,
                                        AV_CODEC_ID_DVB_SUBTITLE};
    std::vector<std::vector<uint8_t>> chunks;
    for (size_t at = 1; at + 2 <= size;) {
        const size_t length = std::min(size - at - 2, size_t(data[at] << 8 | data[at + 1]));
        chunks.emplace_back(data + at + 2, data + at + 2 + length);
        at += 2 + length;
    }
    std::vector<plexo::test::SubtitlePacket> packets;
    for (size_t i = 1; i < chunks.size(); ++i)
        packets.push_back({chunks[i], int64_t(i) * 100});
    const std::string path = (plexo::fuzz::ScratchFolder() / "muxed.mkv").string();
    const bool written = plexo::test::WriteSubtitleStream(path, kCodecs[data[0] % 3], packets,
                                                          chunks.empty() ? std::vector<uint8_t>() : chunks[0]);
    return written ? path : std::string();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const std::string path = data[0] & 0x80 ? plexo::fuzz::WriteInput("input.mkv", data + 1, size - 1)
                                            : Muxed(data, size);
    for (const SubtitleTrack& track : path.empty() ? std::vector<SubtitleTrack>() : SubtitleStreams(path)) {
        std::string why;
        Draw(OpenSubtitleStream(path, track.stream, why), why);
    }
    std::string why;
    if (plexo::video::InputHandle input = path.empty() ? nullptr : plexo::video::OpenVideoInputFile(path, why))
        for (unsigned i = 0; i < input->nb_streams; ++i) {
            const AVCodecDescriptor* descriptor = avcodec_descriptor_get(input->streams[i]->codecpar->codec_id);
            if (input->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_SUBTITLE && descriptor &&
                !(descriptor->props & AV_CODEC_PROP_TEXT_SUB)) {
                Draw(ReadPictureStream(*input, int(i), why, 0), why);
                break;
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
