#include "audio/sound_input.h"

extern "C" {
#include <libavutil/dict.h>
}

#include "video/av_handles.h"

namespace plexo::audio {

namespace {

std::string Tag(const AVStream& stream, const char* key)
{
    const AVDictionaryEntry* entry = av_dict_get(stream.metadata, key, nullptr, 0);
    return entry && entry->value ? entry->value : "";
}

}  // namespace

std::optional<int64_t> MicrosOf(int64_t time, AVRational base)
{
    if (time == AV_NOPTS_VALUE)
        return std::nullopt;
    const int64_t us = av_rescale_q(time, base, AVRational{1, 1000000});
    if (us < -kFarthestUs || us > kFarthestUs)
        return std::nullopt;
    return us;
}

SoundInput OpenSoundInput(const std::string& path, std::string& why)
{
    SoundInput input;
    video::InputHandle format = video::OpenVideoInputFile(path, why);
    if (!format)
        return input;
    if (const int error = avformat_find_stream_info(format.get(), nullptr); error < 0) {
        why = video::ErrorText(error);
        return input;
    }
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        const AVStream& stream = *format->streams[i];
        if (stream.codecpar->codec_type != AVMEDIA_TYPE_AUDIO)
            continue;
        AudioTrack track;
        track.index = int(i);
        const AVCodecDescriptor* codec = avcodec_descriptor_get(stream.codecpar->codec_id);
        track.codec = codec ? codec->name : "unknown";
        track.channels = stream.codecpar->ch_layout.nb_channels;
        track.rate = stream.codecpar->sample_rate;
        track.language = Tag(stream, "language");
        if (track.language == "und")
            track.language.clear();
        track.title = Tag(stream, "title");
        track.isDefault = (stream.disposition & AV_DISPOSITION_DEFAULT) != 0;
        input.tracks.push_back(track);
    }
    const int picture = av_find_best_stream(format.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (picture >= 0) {
        const AVStream& stream = *format->streams[picture];
        input.pictureStartUs = MicrosOf(stream.start_time, stream.time_base).value_or(0);
        if (const std::optional<int64_t> length = MicrosOf(stream.duration, stream.time_base); length > 0)
            input.pictureEndUs = input.pictureStartUs + *length;
    }
    if (const std::optional<int64_t> length = MicrosOf(format->duration, AV_TIME_BASE_Q);
        input.pictureEndUs <= input.pictureStartUs && length > 0)
        input.pictureEndUs = input.pictureStartUs + *length;
    input.format = std::move(format);
    return input;
}

}  // namespace plexo::audio
