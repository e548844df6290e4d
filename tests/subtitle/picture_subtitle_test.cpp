// A picture subtitle track made here: a white bar encoded by libavcodec's
// DVD subtitle encoder and muxed into Matroska beside a side-by-side clip
// that ffmpeg made (its command line cannot make a picture subtitle).

#include <gtest/gtest.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <cstring>
#include <memory>

#include "film/open_film.h"
#include "subtitle/changed_column.h"
#include "subtitle/subtitle_stage.h"
#include "subtitle/subtitle_tracks.h"
#include "support/outside_programs.h"
#include "support/temp_dir.h"
#include "video/video_formats.h"

namespace plexo::subtitle {
namespace {

constexpr int kEyeW = 96, kEyeH = 64;
// The bar, over one eye's frame.
constexpr int kBarX = 30, kBarY = 40, kBarW = 20, kBarH = 8;

struct CodecFree {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct InputClose {
    void operator()(AVFormatContext* c) const { avformat_close_input(&c); }
};
struct OutputFree {
    void operator()(AVFormatContext* c) const
    {
        avio_closep(&c->pb);
        avformat_free_context(c);
    }
};

// `video`'s stream and a DVD subtitle track, showing the bar from 0.5 s to
// 1.5 s, into `out`.
bool MuxBar(const std::string& video, const std::string& out)
{
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_DVD_SUBTITLE);
    std::unique_ptr<AVCodecContext, CodecFree> encoder(codec ? avcodec_alloc_context3(codec) : nullptr);
    if (!encoder)
        return false;
    encoder->width = kEyeW;
    encoder->height = kEyeH;
    encoder->time_base = {1, 1000};
    AVFormatContext* rawIn = nullptr;
    if (avcodec_open2(encoder.get(), codec, nullptr) < 0 ||
        avformat_open_input(&rawIn, video.c_str(), nullptr, nullptr) < 0)
        return false;
    std::unique_ptr<AVFormatContext, InputClose> in(rawIn);
    AVFormatContext* rawOut = nullptr;
    if (avformat_find_stream_info(in.get(), nullptr) < 0 ||
        avformat_alloc_output_context2(&rawOut, nullptr, "matroska", out.c_str()) < 0)
        return false;
    std::unique_ptr<AVFormatContext, OutputFree> mux(rawOut);
    AVStream* pictures = avformat_new_stream(mux.get(), nullptr);
    AVStream* subs = avformat_new_stream(mux.get(), nullptr);
    if (!pictures || !subs || avcodec_parameters_copy(pictures->codecpar, in->streams[0]->codecpar) < 0 ||
        avcodec_parameters_from_context(subs->codecpar, encoder.get()) < 0)
        return false;
    pictures->codecpar->codec_tag = 0;
    subs->time_base = {1, 1000};
    if (avio_open(&mux->pb, out.c_str(), AVIO_FLAG_WRITE) < 0 || avformat_write_header(mux.get(), nullptr) < 0)
        return false;

    uint8_t indices[kBarW * kBarH];
    std::memset(indices, 1, sizeof indices);
    uint32_t palette[4] = {0x00000000, 0xFFFFFFFF, 0, 0};
    AVSubtitleRect rect{};
    rect.type = SUBTITLE_BITMAP;
    rect.x = kBarX, rect.y = kBarY, rect.w = kBarW, rect.h = kBarH;
    rect.nb_colors = 4;
    rect.data[0] = indices;
    rect.linesize[0] = kBarW;
    rect.data[1] = reinterpret_cast<uint8_t*>(palette);
    AVSubtitleRect* rects[] = {&rect};
    AVSubtitle bar{};
    bar.end_display_time = 1000;
    bar.num_rects = 1;
    bar.rects = rects;
    bar.pts = 500'000;
    uint8_t coded[4096];
    const int size = avcodec_encode_subtitle(encoder.get(), coded, sizeof coded, &bar);
    AVPacket* packet = av_packet_alloc();
    if (size <= 0 || !packet || av_new_packet(packet, size) < 0) {
        av_packet_free(&packet);
        return false;
    }
    std::memcpy(packet->data, coded, size_t(size));
    packet->stream_index = 1;
    packet->pts = packet->dts = av_rescale_q(bar.pts, AV_TIME_BASE_Q, subs->time_base);
    packet->duration = av_rescale_q(1000, {1, 1000}, subs->time_base);
    bool ok = av_interleaved_write_frame(mux.get(), packet) >= 0;
    while (ok && av_read_frame(in.get(), packet) >= 0) {
        if (packet->stream_index == 0) {
            av_packet_rescale_ts(packet, in->streams[0]->time_base, pictures->time_base);
            ok = av_interleaved_write_frame(mux.get(), packet) >= 0;
        }
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
    return ok && av_write_trailer(mux.get()) >= 0;
}

TEST(PictureSubtitles, DvdBarIsDrawnIntoBothEyesShiftedByItsDisparity)
{
    video::AddVideoFormats();
    test::TempDir dir;
    const std::string video = dir.file("video.mkv"), film = dir.file("film.mkv");
    ASSERT_TRUE(test::RunCommand("ffmpeg -v error -y -f lavfi -i color=c=gray:s=192x64:r=25 -t 2 -c:v libx264 -qp 0 "
                                 "-preset ultrafast -pix_fmt yuv444p " + video));
    ASSERT_TRUE(MuxBar(video, film));

    const std::vector<SubtitleTrack> tracks = SubtitleTracks(film);
    ASSERT_EQ(tracks.size(), 1u);
    EXPECT_EQ(tracks[0].codec, "dvd_subtitle");
    std::string why;
    SubtitleSourcePtr source = OpenTrack(film, tracks[0], why);
    ASSERT_TRUE(source) << why;
    const auto span = source->EventAt(1'000'000);
    ASSERT_TRUE(span);
    EXPECT_EQ(span->start, 500'000);
    EXPECT_EQ(span->end, 1'500'000);

    FilmPtr opened = OpenFilmByExtension(film, StereoLayout{LayoutKind::SideBySide, false, false});
    ASSERT_TRUE(opened && opened->Seek(25));
    auto plain = std::make_shared<EyePair>(*opened->Pair(Tone::Colour));
    plain->timestampUs = 1'000'000;
    ASSERT_EQ(plain->first.width, kEyeW);
    SubtitleStage stage(std::move(source));
    StageOptions options;
    options.depth = {DepthMode::Fixed, 6};
    const EyePairPtr drawn = stage.Apply(plain, options);
    ASSERT_TRUE(drawn && drawn != plain);
    EXPECT_EQ(test::FirstChangedColumn(drawn->first, plain->first), kBarX + 3);
    EXPECT_EQ(test::FirstChangedColumn(drawn->second, plain->second), kBarX - 3);
    // The bar's middle, white in each eye at its own place.
    const int row = kEyeH - 1 - (kBarY + kBarH / 2);
    EXPECT_EQ(drawn->first.row(row)[(kBarX + 3 + kBarW / 2) * 3], 255);
    EXPECT_EQ(drawn->second.row(row)[(kBarX - 3 + kBarW / 2) * 3], 255);
}

}  // namespace
}  // namespace plexo::subtitle
