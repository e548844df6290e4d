#include "subtitle/stream_subtitles.h"

#include <algorithm>
#include <climits>
#include <cstring>

extern "C" {
#include <libavutil/avutil.h>
#include <libavutil/mathematics.h>
}

#include "subtitle/ass_subtitles.h"
#include "subtitle/picture_subtitles.h"
#include "video/video_input.h"

namespace plexo::subtitle {

namespace {

// A picture subtitle whose end the stream never says stays this long, or
// until the next one.
constexpr int64_t kUnendedUs = 5'000'000;

std::string Tag(const AVDictionary* tags, const char* key)
{
    const AVDictionaryEntry* entry = av_dict_get(tags, key, nullptr, 0);
    return entry && entry->value ? entry->value : "";
}

int64_t ToUs(int64_t value, AVRational base)
{
    return av_rescale_q(value, base, AVRational{1, 1000000});
}

std::vector<AttachedFont> AttachedFonts(const AVFormatContext& input)
{
    std::vector<AttachedFont> fonts;
    for (unsigned i = 0; i < input.nb_streams; ++i) {
        const AVStream* st = input.streams[i];
        const AVCodecParameters* par = st->codecpar;
        if (par->codec_type != AVMEDIA_TYPE_ATTACHMENT || !par->extradata || par->extradata_size <= 0)
            continue;
        const std::string mime = Tag(st->metadata, "mimetype");
        if (par->codec_id != AV_CODEC_ID_TTF && par->codec_id != AV_CODEC_ID_OTF &&
            mime.find("font") == std::string::npos)
            continue;
        fonts.push_back({Tag(st->metadata, "filename"),
                         std::vector<uint8_t>(par->extradata, par->extradata + par->extradata_size)});
    }
    return fonts;
}

// The rectangles of a decoded picture subtitle as one bitmap, their
// palettes' colours premultiplied.
SubtitleBitmap PictureOf(const AVSubtitle& sub)
{
    int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;
    for (unsigned i = 0; i < sub.num_rects; ++i) {
        const AVSubtitleRect* r = sub.rects[i];
        if (r->type != SUBTITLE_BITMAP || r->w <= 0 || r->h <= 0 || !r->data[0] || !r->data[1])
            continue;
        left = std::min(left, r->x);
        top = std::min(top, r->y);
        right = std::max(right, r->x + r->w);
        bottom = std::max(bottom, r->y + r->h);
    }
    if (left >= right || top >= bottom || int64_t(right - left) * (bottom - top) > int64_t(kMaxPictureSide) * 64)
        return {};
    SubtitleBitmap bitmap = ClearBitmap(left, top, right - left, bottom - top);
    for (unsigned i = 0; i < sub.num_rects; ++i) {
        const AVSubtitleRect* r = sub.rects[i];
        if (r->type != SUBTITLE_BITMAP || r->w <= 0 || r->h <= 0 || !r->data[0] || !r->data[1])
            continue;
        uint32_t palette[256] = {};
        std::memcpy(palette, r->data[1], size_t(std::clamp(r->nb_colors, 0, 256)) * 4);
        for (int y = 0; y < r->h; ++y)
            for (int x = 0; x < r->w; ++x) {
                const uint32_t argb = palette[r->data[0][ptrdiff_t(y) * r->linesize[0] + x]];
                const uint32_t a = argb >> 24;
                uint8_t* d = bitmap.pixel(r->x - left + x, r->y - top + y);
                d[0] = uint8_t(((argb & 0xFF) * a + 127) / 255);
                d[1] = uint8_t((((argb >> 8) & 0xFF) * a + 127) / 255);
                d[2] = uint8_t((((argb >> 16) & 0xFF) * a + 127) / 255);
                d[3] = uint8_t(a);
            }
    }
    return bitmap;
}

// The size of the first video stream's frames, for picture subtitles that
// state none.
std::pair<int, int> VideoSize(const AVFormatContext& input)
{
    for (unsigned i = 0; i < input.nb_streams; ++i) {
        const AVCodecParameters* par = input.streams[i]->codecpar;
        if (par->codec_type == AVMEDIA_TYPE_VIDEO && par->width > 0 && par->height > 0)
            return {par->width, par->height};
    }
    return {0, 0};
}

}  // namespace

std::vector<SubtitleTrack> SubtitleStreams(const std::string& path)
{
    std::string why;
    const video::InputHandle input = video::OpenVideoInputFile(path, why);
    std::vector<SubtitleTrack> tracks;
    if (!input)
        return tracks;
    for (unsigned i = 0; i < input->nb_streams; ++i) {
        const AVStream* st = input->streams[i];
        if (st->codecpar->codec_type != AVMEDIA_TYPE_SUBTITLE)
            continue;
        SubtitleTrack track;
        track.stream = int(i);
        track.language = Tag(st->metadata, "language");
        track.title = Tag(st->metadata, "title");
        track.codec = avcodec_get_name(st->codecpar->codec_id);
        track.isDefault = (st->disposition & AV_DISPOSITION_DEFAULT) != 0;
        tracks.push_back(std::move(track));
    }
    return tracks;
}

SubtitleSourcePtr OpenSubtitleStream(const std::string& path, int stream, std::string& why)
{
    video::InputHandle input = video::OpenVideoInputFile(path, why);
    if (!input)
        return nullptr;
    if (stream < 0 || unsigned(stream) >= input->nb_streams ||
        input->streams[stream]->codecpar->codec_type != AVMEDIA_TYPE_SUBTITLE) {
        why = "it has no subtitle stream " + std::to_string(stream);
        return nullptr;
    }
    AVStream* st = input->streams[stream];
    const AVCodec* codec = avcodec_find_decoder(st->codecpar->codec_id);
    video::CodecHandle decoder(codec ? avcodec_alloc_context3(codec) : nullptr);
    if (!decoder || avcodec_parameters_to_context(decoder.get(), st->codecpar) < 0) {
        why = std::string("its subtitles are in ") + avcodec_get_name(st->codecpar->codec_id) +
              ", which cannot be decoded";
        return nullptr;
    }
    decoder->pkt_timebase = st->time_base;
    if (avcodec_open2(decoder.get(), codec, nullptr) < 0) {
        why = "its subtitle decoder cannot start";
        return nullptr;
    }
    const AVCodecDescriptor* descriptor = avcodec_descriptor_get(st->codecpar->codec_id);
    const bool text = descriptor && (descriptor->props & AV_CODEC_PROP_TEXT_SUB);
    for (unsigned i = 0; i < input->nb_streams; ++i)
        if (int(i) != stream)
            input->streams[i]->discard = AVDISCARD_ALL;
    // The film's times count from the container's start.
    const int64_t origin = input->start_time != AV_NOPTS_VALUE ? input->start_time : 0;

    std::vector<TextEvent> lines;
    std::vector<PictureEvent> pictures;
    video::PacketHandle packet(av_packet_alloc());
    if (!packet) {
        why = "there is not enough memory";
        return nullptr;
    }
    while (av_read_frame(input.get(), packet.get()) >= 0) {
        if (packet->stream_index != stream || packet->pts == AV_NOPTS_VALUE) {
            av_packet_unref(packet.get());
            continue;
        }
        const int64_t at = ToUs(packet->pts, st->time_base) - origin;
        const int64_t length = packet->duration > 0 ? ToUs(packet->duration, st->time_base) : -1;
        AVSubtitle sub{};
        int got = 0;
        const int used = avcodec_decode_subtitle2(decoder.get(), &sub, &got, packet.get());
        av_packet_unref(packet.get());
        if (used < 0 || !got)
            continue;
        const int64_t start = at + int64_t(sub.start_display_time) * 1000;
        int64_t end = length > 0 ? at + length : -1;
        if (end < 0 && sub.end_display_time > sub.start_display_time && sub.end_display_time != UINT32_MAX)
            end = at + int64_t(sub.end_display_time) * 1000;
        // A picture set shown until the next, which may be empty to clear it.
        if (!pictures.empty() && pictures.back().span.end < 0)
            pictures.back().span.end = start;
        if (text) {
            for (unsigned i = 0; i < sub.num_rects; ++i)
                if (sub.rects[i]->ass)
                    lines.push_back({start / 1000, (end > start ? end - start : kUnendedUs) / 1000, sub.rects[i]->ass});
        } else if (SubtitleBitmap bitmap = PictureOf(sub); !bitmap.empty()) {
            pictures.push_back({{start, end}, std::move(bitmap)});
        }
        avsubtitle_free(&sub);
    }
    if (!pictures.empty() && pictures.back().span.end < 0)
        pictures.back().span.end = pictures.back().span.start + kUnendedUs;
    if (text) {
        const std::string header = decoder->subtitle_header
                                       ? std::string(reinterpret_cast<const char*>(decoder->subtitle_header),
                                                     size_t(decoder->subtitle_header_size))
                                       : DefaultAssHeader();
        return AssEventSubtitles(header, lines, AttachedFonts(*input), why);
    }
    auto [width, height] = std::pair{decoder->width, decoder->height};
    if (width <= 0 || height <= 0)
        std::tie(width, height) = VideoSize(*input);
    SubtitleSourcePtr source = PictureSubtitles(std::move(pictures), width, height);
    if (!source)
        why = "no subtitle in it";
    return source;
}

}  // namespace plexo::subtitle
