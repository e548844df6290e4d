#include "audio/export_sound.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

extern "C" {
#include <libavutil/common.h>
}

#include "audio/export_encoder.h"
#include "audio/sound_input.h"
#include "platform/log.h"
#include "video/atomic_output.h"
#include "video/av_handles.h"

namespace plexo::audio {

namespace {

// The codecs each container takes as they are.
constexpr AVCodecID kMatroskaCopies[] = {AV_CODEC_ID_AAC, AV_CODEC_ID_AC3, AV_CODEC_ID_EAC3, AV_CODEC_ID_MP3,
                                         AV_CODEC_ID_OPUS};
constexpr AVCodecID kMp4Copies[] = {AV_CODEC_ID_AAC, AV_CODEC_ID_AC3, AV_CODEC_ID_MP3};

constexpr AVRational kMicros{1, 1000000};

struct OutputFreer {
    void operator()(AVFormatContext* c) const { avformat_free_context(c); }
};

bool Copies(bool mp4, AVCodecID codec)
{
    const auto has = [codec](const auto& list) { return std::find(std::begin(list), std::end(list), codec) != std::end(list); };
    return mp4 ? has(kMp4Copies) : has(kMatroskaCopies);
}

// The video's stream, copied with its side data (the stereo layout) and
// tags.
bool CopyStream(const AVStream& from, AVFormatContext& into)
{
    AVStream* stream = avformat_new_stream(&into, nullptr);
    if (!stream || avcodec_parameters_copy(stream->codecpar, from.codecpar) < 0)
        return false;
    stream->codecpar->codec_tag = 0;
    stream->time_base = from.time_base;
    stream->sample_aspect_ratio = from.sample_aspect_ratio;
    stream->avg_frame_rate = from.avg_frame_rate;
    stream->disposition = from.disposition;
    av_dict_copy(&stream->metadata, from.metadata, 0);
    for (int i = 0; i < from.nb_side_data; ++i) {
        const AVPacketSideData& side = from.side_data[i];
        uint8_t* copy = av_stream_new_side_data(stream, side.type, side.size);
        if (!copy)
            return false;
        std::memcpy(copy, side.data, side.size);
    }
    return true;
}

class CopiedPackets final : public SoundPackets {
public:
    // `length` 0: the sound is not cut.
    CopiedPackets(SoundInput& input, const AVStream& stream, const AVStream& out, Micros length)
        : input_(input), stream_(stream), out_(out),
          start_(av_rescale_q(input.pictureStartUs, kMicros, stream.time_base)),
          end_(length > 0 ? av_rescale_q(length, kMicros, stream.time_base) : INT64_MAX)
    {
    }

    bool Next(AVPacket& packet, std::string&) override
    {
        while (av_read_frame(input_.format.get(), &packet) >= 0) {
            if (packet.stream_index != stream_.index || packet.pts == AV_NOPTS_VALUE) {
                av_packet_unref(&packet);
                continue;
            }
            // The picture's times rule: sound before it goes, and what starts
            // past its end.
            // Saturated: a broken clock's times fall outside the picture.
            const int64_t at = av_sat_sub64(packet.pts, start_);
            if (at < 0 || at >= end_) {
                av_packet_unref(&packet);
                if (at >= end_)
                    return false;
                continue;
            }
            packet.dts = packet.dts == AV_NOPTS_VALUE ? AV_NOPTS_VALUE : av_sat_sub64(packet.dts, start_);
            packet.pts = at;
            packet.pos = -1;
            av_packet_rescale_ts(&packet, stream_.time_base, out_.time_base);
            return true;
        }
        return false;
    }

private:
    SoundInput& input_;
    const AVStream& stream_;
    const AVStream& out_;
    const int64_t start_;
    const int64_t end_;
};

// Where the sound starts and ends on the film's time line (its first
// picture at 0); an end of 0 when the file states none.
std::pair<Micros, Micros> SoundSpan(const SoundInput& input, const AVStream& sound)
{
    const Micros start = sound.start_time == AV_NOPTS_VALUE
                             ? 0
                             : av_rescale_q(sound.start_time, sound.time_base, kMicros) - input.pictureStartUs;
    Micros end = 0;
    if (sound.start_time != AV_NOPTS_VALUE && sound.duration != AV_NOPTS_VALUE && sound.duration > 0)
        end = start + av_rescale_q(sound.duration, sound.time_base, kMicros);
    else if (input.format->duration != AV_NOPTS_VALUE && input.format->duration > 0)
        end = input.format->duration +
              (input.format->start_time == AV_NOPTS_VALUE ? 0 : input.format->start_time) - input.pictureStartUs;
    return {start, end};
}

// "0.98 s", with a point whatever the locale.
std::string Seconds(Micros at)
{
    const Micros hundredths = (std::max<Micros>(at, 0) + 5000) / 10000;
    const std::string fraction = std::to_string(hundredths % 100);
    return std::to_string(hundredths / 100) + (fraction.size() == 1 ? ".0" : ".") + fraction + " s";
}

bool Add(const SoundExport& job, std::string& why)
{
    SoundInput source = OpenSoundInput(job.source, why);
    if (!source)
        return false;
    const int track = job.track >= 0 ? job.track : DefaultTrack(source.tracks);
    if (track < 0)
        return true;
    if (track >= int(source.format->nb_streams) ||
        source.format->streams[track]->codecpar->codec_type != AVMEDIA_TYPE_AUDIO) {
        why = "the film has no sound track " + std::to_string(track);
        return false;
    }
    const AVStream& sound = *source.format->streams[track];
    video::InputHandle picture = video::OpenVideoInputFile(job.video, why);
    if (!picture)
        return false;
    if (const int error = avformat_find_stream_info(picture.get(), nullptr); error < 0 || picture->nb_streams != 1) {
        why = error < 0 ? video::ErrorText(error) : "the export holds more than its picture";
        return false;
    }
    const bool mp4 = std::string_view(picture->iformat->name).find("mp4") != std::string_view::npos;
    video::AtomicOutput output(job.video);
    AVFormatContext* made = nullptr;
    if (!output.context() || avformat_alloc_output_context2(&made, nullptr, mp4 ? "mp4" : "matroska", nullptr) < 0) {
        why = "the file cannot be made";
        return false;
    }
    std::unique_ptr<AVFormatContext, OutputFreer> out(made);
    out->pb = output.context();
    out->strict_std_compliance = FF_COMPLIANCE_UNOFFICIAL;
    out->flags |= AVFMT_FLAG_BITEXACT;
    if (!CopyStream(*picture->streams[0], *out)) {
        why = "out of memory";
        return false;
    }
    AVStream* soundOut = avformat_new_stream(out.get(), nullptr);
    if (!soundOut) {
        why = "out of memory";
        return false;
    }
    av_dict_copy(&soundOut->metadata, sound.metadata, 0);
    // The sound is cut where the picture ends, but a sound that only starts
    // there would be cut to nothing: it is kept whole at its time instead,
    // so that every container holds the same sound, and holds it validly.
    const auto [soundStart, soundEnd] = SoundSpan(source, sound);
    const bool late = soundStart >= job.length && soundEnd > soundStart;
    if (late)
        LogMessage("sound: it starts at " + Seconds(soundStart) + ", after the picture's end at " +
                   Seconds(job.length) + "; kept whole at its time");
    std::unique_ptr<SoundDecoder> decoder;
    std::unique_ptr<SoundPackets> packets;
    if (Copies(mp4, sound.codecpar->codec_id)) {
        if (avcodec_parameters_copy(soundOut->codecpar, sound.codecpar) < 0) {
            why = "out of memory";
            return false;
        }
        soundOut->codecpar->codec_tag = 0;
        soundOut->time_base = sound.time_base;
        for (unsigned i = 0; i < source.format->nb_streams; ++i)
            if (int(i) != track)
                source.format->streams[i]->discard = AVDISCARD_ALL;
        packets = std::make_unique<CopiedPackets>(source, sound, *soundOut, late ? 0 : job.length);
    } else {
        source = {};
        decoder = SoundDecoder::Open(job.source, track, late ? soundEnd : job.length, why);
        if (!decoder)
            return false;
        // From the sound's own start, as a copy keeps it.
        packets = EncodeToAac(*decoder, std::max<Micros>(soundStart, 0), *soundOut,
                              (out->oformat->flags & AVFMT_GLOBALHEADER) != 0, why);
        if (!packets)
            return false;
    }
    if (const int error = avformat_write_header(out.get(), nullptr); error < 0) {
        why = "the header cannot be written: " + video::ErrorText(error);
        return false;
    }
    // The two streams merged in time, so the muxer holds back little.
    video::PacketHandle frame(av_packet_alloc()), heard(av_packet_alloc());
    if (!frame || !heard) {
        why = "out of memory";
        return false;
    }
    const auto nextFrame = [&] {
        while (av_read_frame(picture.get(), frame.get()) >= 0) {
            av_packet_rescale_ts(frame.get(), picture->streams[0]->time_base, out->streams[0]->time_base);
            frame->pos = -1;
            return true;
        }
        return false;
    };
    bool haveFrame = nextFrame();
    bool haveSound = packets->Next(*heard, why);
    if (!why.empty())
        return false;
    while (haveFrame || haveSound) {
        const bool soundFirst =
            haveSound && (!haveFrame || av_compare_ts(heard->dts, soundOut->time_base, frame->dts,
                                                      out->streams[0]->time_base) < 0);
        AVPacket* packet = soundFirst ? heard.get() : frame.get();
        packet->stream_index = soundFirst ? 1 : 0;
        if (const int error = av_interleaved_write_frame(out.get(), packet); error < 0) {
            why = "it cannot be written: " + video::ErrorText(error);
            return false;
        }
        if (soundFirst) {
            haveSound = packets->Next(*heard, why);
            if (!why.empty())
                return false;
        } else {
            haveFrame = nextFrame();
        }
    }
    if (const int error = av_write_trailer(out.get()); error < 0 || !output.commit()) {
        why = "it cannot be written";
        return false;
    }
    return true;
}

std::string Described(const std::vector<AudioTrack>& tracks, int index)
{
    for (size_t i = 0; i < tracks.size(); ++i)
        if (tracks[i].index == index)
            return "stream " + std::to_string(index) + ": " + TrackLabel(tracks[i], int(i) + 1) + " (" +
                   tracks[i].codec + ")";
    return "stream " + std::to_string(index);
}

}  // namespace

int ExportTrack(const std::vector<AudioTrack>& tracks, int chosen)
{
    const int track = ChosenOrDefault(tracks, chosen);
    if (chosen >= 0 && track != chosen)
        LogMessage("sound: the track chosen, stream " + std::to_string(chosen) +
                   ", is no sound stream of the film; its default is taken");
    LogMessage(track >= 0 ? "sound: " + Described(tracks, track) : std::string("sound: none in the film"));
    return track;
}

bool AddExportSound(const SoundExport& job)
{
    if (job.source.empty())
        return true;
    if (std::abs(job.exportRate - job.filmRate) > 1e-9 * job.filmRate) {
        LogMessage("sound dropped: not at the film's own speed");
        return true;
    }
    std::string why;
    if (Add(job, why))
        return true;
    LogMessage(job.video + ": the sound could not be added: " + why);
    return false;
}

ExportResult ExportWithSound(Film& film, const std::string& out, const ExportOptions& options,
                             const ConversionControl& control, const FilmSound& sound,
                             std::vector<std::string>* written)
{
    const ExportFormat* format = ExportFormatOf(out);
    const std::string_view extension = format ? format->extension : "";
    const bool withSound = sound.wanted && !options.index && film.FrameRate() > 0 && !sound.source.empty() &&
                           (extension == "mp4" || extension == "mkv");
    // Told before the walk, which may take long, so that a wrong track is
    // seen at once.
    const int track = withSound ? ExportTrack(AudioTracksOf(sound.source), sound.track) : -1;
    const ExportResult result = Export(film, out, options, control, written);
    if (result != ExportResult::Ok || track < 0)
        return result;
    // The walk writes a video at the film's own rate.
    AddExportSound({out, sound.source, track, Micros(std::llround(film.Duration() * 1e6)), film.FrameRate(),
                    film.FrameRate()});
    return result;
}

}  // namespace plexo::audio
