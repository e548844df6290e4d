#include "audio/export_sound.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string_view>
#include <vector>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/common.h>
}

#include "audio/sound_decoder.h"
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

// The sound's packets: copied from the source, or encoded from its samples.
class SoundPackets {
public:
    virtual ~SoundPackets() = default;
    // The next packet in the output stream's time base; false at the end,
    // or on failure with `why` set.
    virtual bool Next(AVPacket& packet, std::string& why) = 0;
};

class CopiedPackets final : public SoundPackets {
public:
    CopiedPackets(SoundInput& input, const AVStream& stream, const AVStream& out, int64_t length)
        : input_(input), stream_(stream), out_(out),
          start_(av_rescale_q(input.pictureStartUs, AVRational{1, 1000000}, stream.time_base)),
          end_(av_rescale_q(length, AVRational{1, 1000000}, stream.time_base))
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

class EncodedPackets final : public SoundPackets {
public:
    EncodedPackets(SoundDecoder& decoder, AVCodecContext& encoder, const AVStream& out)
        : decoder_(decoder), encoder_(encoder), out_(out)
    {
    }

    bool Next(AVPacket& packet, std::string& why) override
    {
        for (;;) {
            const int got = avcodec_receive_packet(&encoder_, &packet);
            if (got == 0) {
                av_packet_rescale_ts(&packet, encoder_.time_base, out_.time_base);
                return true;
            }
            if (got != AVERROR(EAGAIN))
                return false;
            if (!Feed(why))
                return false;
        }
    }

private:
    // One frame of samples into the encoder, or the end.
    bool Feed(std::string& why)
    {
        const SinkFormat format = decoder_.Format();
        const int size = encoder_.frame_size > 0 ? encoder_.frame_size : 1024;
        samples_.resize(size_t(size) * size_t(format.channels));
        const long made = decoder_.Read(samples_.data(), size_t(size), why);
        if (made < 0)
            return false;
        if (made == 0)
            return avcodec_send_frame(&encoder_, nullptr) >= 0 || (why = "the sound cannot be encoded", false);
        video::FrameHandle frame(av_frame_alloc());
        if (!frame)
            return (why = "out of memory", false);
        frame->format = encoder_.sample_fmt;
        frame->sample_rate = encoder_.sample_rate;
        av_channel_layout_copy(&frame->ch_layout, &encoder_.ch_layout);
        frame->nb_samples = int(made);
        frame->pts = next_;
        next_ += made;
        if (av_frame_get_buffer(frame.get(), 0) < 0)
            return (why = "out of memory", false);
        // AAC takes each channel apart.
        for (int c = 0; c < format.channels; ++c) {
            auto* plane = reinterpret_cast<float*>(frame->extended_data[c]);
            for (long i = 0; i < made; ++i)
                plane[i] = samples_[size_t(i) * size_t(format.channels) + size_t(c)];
        }
        if (avcodec_send_frame(&encoder_, frame.get()) < 0)
            return (why = "the sound cannot be encoded", false);
        return true;
    }

    SoundDecoder& decoder_;
    AVCodecContext& encoder_;
    const AVStream& out_;
    std::vector<float> samples_;
    int64_t next_ = 0;
};

video::CodecHandle OpenAacEncoder(const SinkFormat& format, bool globalHeader, std::string& why)
{
    const AVCodec* aac = avcodec_find_encoder_by_name("aac");
    video::CodecHandle encoder(aac ? avcodec_alloc_context3(aac) : nullptr);
    if (!encoder) {
        why = "no AAC encoder in FFmpeg's libraries";
        return nullptr;
    }
    encoder->sample_fmt = AV_SAMPLE_FMT_FLTP;
    encoder->sample_rate = format.rate;
    encoder->time_base = AVRational{1, format.rate};
    av_channel_layout_default(&encoder->ch_layout, format.channels);
    if (globalHeader)
        encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (const int error = avcodec_open2(encoder.get(), aac, nullptr); error < 0) {
        why = "the AAC encoder takes no such sound: " + video::ErrorText(error);
        return nullptr;
    }
    return encoder;
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
    std::unique_ptr<SoundDecoder> decoder;
    video::CodecHandle encoder;
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
        packets = std::make_unique<CopiedPackets>(source, sound, *soundOut, job.length);
    } else {
        source = {};
        decoder = SoundDecoder::Open(job.source, track, job.length, why);
        if (!decoder || !decoder->Restart(0, 1.0, why))
            return false;
        encoder = OpenAacEncoder(decoder->Format(), (out->oformat->flags & AVFMT_GLOBALHEADER) != 0, why);
        if (!encoder || avcodec_parameters_from_context(soundOut->codecpar, encoder.get()) < 0) {
            why = why.empty() ? "out of memory" : why;
            return false;
        }
        soundOut->time_base = encoder->time_base;
        packets = std::make_unique<EncodedPackets>(*decoder, *encoder, *soundOut);
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

}  // namespace

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
    const ExportResult result = Export(film, out, options, control, written);
    const ExportFormat* format = ExportFormatOf(out);
    const std::string_view extension = format ? format->extension : "";
    if (result != ExportResult::Ok || !sound.wanted || options.index || !(film.FrameRate() > 0) ||
        (extension != "mp4" && extension != "mkv"))
        return result;
    // The walk writes a video at the film's own rate.
    AddExportSound({out, sound.source, sound.track, Micros(std::llround(film.Duration() * 1e6)), film.FrameRate(),
                    film.FrameRate()});
    return result;
}

}  // namespace plexo::audio
