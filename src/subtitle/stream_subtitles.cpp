#include "subtitle/stream_subtitles.h"

#include <cstring>

extern "C" {
#include <libavutil/avutil.h>
#include <libavutil/mathematics.h>
}

#include "platform/log.h"
#include "subtitle/ass_subtitles.h"
#include "subtitle/picture_stream.h"
#include "subtitle/subtitle_file.h"
#include "video/video_input.h"

namespace plexo::subtitle {

namespace {

// A text event whose end the stream never says stays this long.
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
    const AVCodecDescriptor* descriptor = avcodec_descriptor_get(st->codecpar->codec_id);
    for (unsigned i = 0; i < input->nb_streams; ++i)
        if (int(i) != stream)
            input->streams[i]->discard = AVDISCARD_ALL;
    if (!descriptor || !(descriptor->props & AV_CODEC_PROP_TEXT_SUB))
        return ReadPictureStream(*input, stream, why);
    video::CodecHandle decoder = OpenSubtitleDecoder(*st->codecpar, st->time_base, why);
    if (!decoder)
        return nullptr;
    // The film's times count from the container's start.
    const int64_t origin = input->start_time != AV_NOPTS_VALUE ? input->start_time : 0;
    const std::string header = decoder->subtitle_header
                                   ? std::string(reinterpret_cast<const char*>(decoder->subtitle_header),
                                                 size_t(decoder->subtitle_header_size))
                                   : DefaultAssHeader();
    // As much text as a file beside the film may hold; the rest is left.
    size_t bytes = header.size();
    bool cut = false;
    std::vector<TextEvent> lines;
    video::PacketHandle packet(av_packet_alloc());
    if (!packet) {
        why = "there is not enough memory";
        return nullptr;
    }
    while (!cut && av_read_frame(input.get(), packet.get()) >= 0) {
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
        for (unsigned i = 0; i < sub.num_rects && !cut; ++i) {
            if (!sub.rects[i]->ass)
                continue;
            const size_t size = std::strlen(sub.rects[i]->ass);
            cut = bytes + size > kMaxSubtitleFileBytes;
            if (!cut) {
                bytes += size;
                lines.push_back({start / 1000, (end > start ? end - start : kUnendedUs) / 1000, sub.rects[i]->ass});
            }
        }
        avsubtitle_free(&sub);
    }
    if (cut)
        LogMessage("subtitles: stream " + std::to_string(stream) + " holds more than 16 MB of text; only the " +
                   std::to_string(lines.size()) + " events before that are shown");
    return AssEventSubtitles(header, lines, AttachedFonts(*input), why);
}

}  // namespace plexo::subtitle
