#include "audio/sound_decoder.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

#include "audio/sound_input.h"
#include "audio/tempo_filter.h"
#include "video/av_handles.h"

namespace plexo::audio {

namespace {

// The rates played: below a few tens of hertz atempo loops forever or
// aborts, and no film's sound is slower than a kilohertz.
constexpr int kLowestRate = 1000;
constexpr int kHighestRate = 768000;
// Frames of silence made at a time for a gap or the tail.
constexpr int64_t kSilenceChunk = 4096;
// How far the packets the decoder refuses may outnumber the frames it gives
// before the stream counts as one it cannot decode: a lucky frame now and
// then out of garbage does not make it sound.
constexpr int kMaxRefused = 64;

}  // namespace

void ResamplerFreer::operator()(SwrContext* resampler) const
{
    swr_free(&resampler);
}

struct SoundDecoder::Parts {
    SoundInput input;
    AVStream* stream = nullptr;
    video::CodecHandle codec;
    video::PacketHandle packet{av_packet_alloc()};
    video::FrameHandle frame{av_frame_alloc()};
    std::unique_ptr<SwrContext, ResamplerFreer> resampler;
    // The layout and format the resampler was set for.
    AVChannelLayout resampledLayout{};
    int resampledFormat = -1;
    int resampledRate = 0;
    // While the speed is not 1.
    std::unique_ptr<TempoFilter> tempo;
    double speed = 1;
    // The film's sample the next one placed stands for, and the picture's end.
    int64_t nextSample = 0;
    int64_t endSample = std::numeric_limits<int64_t>::max();
    bool decoderDrained = false;
    bool decoderEnded = false;
    // Packets refused less frames given, never below 0; and both counted
    // since the last Restart.
    int refused = 0;
    int refusedSince = 0;
    int decodedSince = 0;
    // Samples ready for Read, interleaved, and how many of them were read.
    std::vector<float> ready;
    size_t readyAt = 0;
    std::vector<float> placed;
    // The frame decoded and not yet placed, for the silence before it comes
    // first a chunk at a time; the film's sample it starts at.
    std::vector<float> decoded;
    int64_t decodedAt = 0;
};

SoundDecoder::SoundDecoder() : parts_(std::make_unique<Parts>()) {}
SoundDecoder::~SoundDecoder()
{
    if (parts_)
        av_channel_layout_uninit(&parts_->resampledLayout);
}

std::unique_ptr<SoundDecoder> SoundDecoder::Open(const std::string& path, int track, Micros pictureLength,
                                                 std::string& why)
{
    std::unique_ptr<SoundDecoder> decoder(new SoundDecoder);
    Parts& p = *decoder->parts_;
    p.input = OpenSoundInput(path, why);
    if (!p.input)
        return nullptr;
    if (track < 0)
        track = DefaultTrack(p.input.tracks);
    const auto chosen = std::find_if(p.input.tracks.begin(), p.input.tracks.end(),
                                     [&](const AudioTrack& t) { return t.index == track; });
    if (chosen == p.input.tracks.end()) {
        why = p.input.tracks.empty() ? "" : "the film has no sound track " + std::to_string(track);
        return nullptr;
    }
    p.stream = p.input.format->streams[track];
    const AVCodec* codec = avcodec_find_decoder(p.stream->codecpar->codec_id);
    if (!codec) {
        why = "no decoder for its sound, " + chosen->codec;
        return nullptr;
    }
    p.codec.reset(avcodec_alloc_context3(codec));
    if (!p.codec || !p.packet || !p.frame) {
        why = "out of memory";
        return nullptr;
    }
    if (int error = avcodec_parameters_to_context(p.codec.get(), p.stream->codecpar);
        error < 0 || (error = avcodec_open2(p.codec.get(), codec, nullptr)) < 0) {
        why = "its sound's decoder fails: " + video::ErrorText(error);
        return nullptr;
    }
    const int channels = std::min(p.stream->codecpar->ch_layout.nb_channels, kMostChannels);
    const int rate = p.stream->codecpar->sample_rate;
    if (channels <= 0 || rate < kLowestRate || rate > kHighestRate) {
        why = "its sound states no channels or a rate that plays";
        return nullptr;
    }
    decoder->format_ = {rate, channels};
    // The other streams' packets are never read.
    for (unsigned i = 0; i < p.input.format->nb_streams; ++i)
        if (int(i) != track)
            p.input.format->streams[i]->discard = AVDISCARD_ALL;
    const SoundInput& input = p.input;
    const Micros stated = input.pictureEndUs > input.pictureStartUs ? input.pictureEndUs - input.pictureStartUs : 0;
    const Micros length = pictureLength > 0 ? pictureLength : stated;
    if (length > 0)
        p.endSample = av_rescale(length, rate, 1000000);
    return decoder;
}

bool SoundDecoder::Restart(Micros from, double speed, std::string& why)
{
    Parts& p = *parts_;
    // A sound delayed past the film's start begins with silence: the gap
    // before its first sample.
    from = std::clamp<Micros>(from, -kFarthestUs, kFarthestUs);
    const int64_t target =
        av_rescale_q(std::max<Micros>(from, 0) + p.input.pictureStartUs, AVRational{1, 1000000}, p.stream->time_base);
    // A file that cannot seek is read from its start, which is where a
    // first Play stands anyway.
    if (av_seek_frame(p.input.format.get(), p.stream->index, target, AVSEEK_FLAG_BACKWARD) < 0 &&
        av_seek_frame(p.input.format.get(), p.stream->index, std::numeric_limits<int64_t>::min(),
                      AVSEEK_FLAG_BACKWARD | AVSEEK_FLAG_ANY) < 0) {
        why = "its sound cannot seek";
        return false;
    }
    avcodec_flush_buffers(p.codec.get());
    if (p.resampler)
        swr_init(p.resampler.get());
    p.nextSample = av_rescale(from, format_.rate, 1000000);
    p.decoderDrained = p.decoderEnded = false;
    p.refused = p.refusedSince = p.decodedSince = 0;
    p.ready.clear();
    p.readyAt = 0;
    p.decoded.clear();
    p.speed = speed;
    p.tempo.reset();
    if (std::abs(speed - 1) < 1e-6)
        return true;
    p.tempo = TempoFilter::Make(format_, speed, why);
    return p.tempo != nullptr;
}

namespace {

// The frame's samples as interleaved floats of `format`'s channels.
bool Resample(SoundDecoder::Parts& p, const SinkFormat& format, const AVFrame& frame, std::vector<float>& into,
              std::string& why)
{
    if (!p.resampler || av_channel_layout_compare(&p.resampledLayout, &frame.ch_layout) != 0 ||
        p.resampledFormat != frame.format || p.resampledRate != frame.sample_rate) {
        AVChannelLayout out{};
        av_channel_layout_default(&out, format.channels);
        SwrContext* made = nullptr;
        int error = swr_alloc_set_opts2(&made, &out, AV_SAMPLE_FMT_FLT, format.rate,
                                        const_cast<AVChannelLayout*>(&frame.ch_layout), AVSampleFormat(frame.format),
                                        frame.sample_rate, 0, nullptr);
        av_channel_layout_uninit(&out);
        p.resampler.reset(made);
        // More channels than are played (32 of a layout nobody named): the
        // first ones are kept as they are, since no rule mixes them down.
        const int in = frame.ch_layout.nb_channels;
        if (error >= 0 && in > format.channels) {
            std::vector<double> matrix(size_t(format.channels) * size_t(in), 0.0);
            for (int c = 0; c < format.channels; ++c)
                matrix[size_t(c) * size_t(in) + size_t(c)] = 1.0;
            error = swr_set_matrix(made, matrix.data(), in);
        }
        if (error < 0 || swr_init(made) < 0) {
            p.resampler.reset();
            why = "its sound cannot be converted";
            return false;
        }
        av_channel_layout_uninit(&p.resampledLayout);
        av_channel_layout_copy(&p.resampledLayout, &frame.ch_layout);
        p.resampledFormat = frame.format;
        p.resampledRate = frame.sample_rate;
    }
    const int room = swr_get_out_samples(p.resampler.get(), frame.nb_samples);
    into.resize(size_t(std::max(room, 0)) * size_t(format.channels));
    auto* out = reinterpret_cast<uint8_t*>(into.data());
    const int made = swr_convert(p.resampler.get(), &out, room, const_cast<const uint8_t**>(frame.extended_data),
                                 frame.nb_samples);
    if (made < 0) {
        why = "its sound cannot be converted";
        return false;
    }
    into.resize(size_t(made) * size_t(format.channels));
    return true;
}

enum class Got { Frame, End, Failed };

// At the end of the stream or of the picture: a stream whose packets were
// mostly refused up to there cannot be decoded, however few they were (a
// parser may have merged its garbage into a handful).
bool MostlyRefused(const SoundDecoder::Parts& p, std::string& why)
{
    if (p.refusedSince <= p.decodedSince)
        return false;
    why = "its sound cannot be decoded";
    return true;
}

Got Ended(const SoundDecoder::Parts& p, std::string& why)
{
    return MostlyRefused(p, why) ? Got::Failed : Got::End;
}

Got DecodeFrame(SoundDecoder::Parts& p, std::string& why)
{
    for (;;) {
        const int received = avcodec_receive_frame(p.codec.get(), p.frame.get());
        if (received == 0) {
            p.refused = std::max(0, p.refused - 1);
            ++p.decodedSince;
            return Got::Frame;
        }
        if (received == AVERROR_EOF)
            return Ended(p, why);
        if (received != AVERROR(EAGAIN)) {
            why = "its sound cannot be decoded: " + video::ErrorText(received);
            return Got::Failed;
        }
        if (p.decoderDrained)
            return Ended(p, why);
        const int read = av_read_frame(p.input.format.get(), p.packet.get());
        if (read < 0) {
            p.decoderDrained = true;
            avcodec_send_packet(p.codec.get(), nullptr);
            continue;
        }
        if (p.packet->stream_index == p.stream->index && avcodec_send_packet(p.codec.get(), p.packet.get()) < 0 &&
            (++p.refusedSince, ++p.refused > kMaxRefused)) {
            av_packet_unref(p.packet.get());
            why = "its sound cannot be decoded";
            return Got::Failed;
        }
        av_packet_unref(p.packet.get());
    }
}

// Decodes the next frame into p.decoded, placed where its time says.
// False when decoding failed; p.decoded stays empty at the stream's end.
bool Decode(SoundDecoder::Parts& p, const SinkFormat& format, std::string& why)
{
    const Got got = DecodeFrame(p, why);
    if (got == Got::Failed)
        return false;
    if (got == Got::End) {
        p.decoderEnded = true;
        return true;
    }
    const int64_t time = p.frame->best_effort_timestamp;
    const bool converted = Resample(p, format, *p.frame, p.decoded, why);
    av_frame_unref(p.frame.get());
    if (!converted)
        return false;
    // Without a time the frame follows the last.
    const std::optional<int64_t> us = MicrosOf(time, p.stream->time_base);
    p.decodedAt = us ? av_rescale(*us - p.input.pictureStartUs, format.rate, 1000000) : p.nextSample;
    // Timestamps a millisecond off are taken as contiguous, so rounding
    // never clicks.
    if (std::abs(p.decodedAt - p.nextSample) <= format.rate / 1000)
        p.decodedAt = p.nextSample;
    return true;
}

// The next samples on the film's time line, before the tempo: a decoded
// frame put where its time says, silence for a gap or the tail a chunk at a
// time, so that a gap of hours never stands whole in memory; empty at the
// picture's end. False when decoding failed.
bool Place(SoundDecoder::Parts& p, const SinkFormat& format, std::vector<float>& out, std::string& why)
{
    out.clear();
    const size_t channels = size_t(format.channels);
    while (out.empty() && p.nextSample < p.endSample) {
        if (p.decoded.empty() && !p.decoderEnded) {
            if (!Decode(p, format, why))
                return false;
            continue;
        }
        // Silence up to the decoded frame, or to the picture's end after the
        // stream's.
        const int64_t until = p.decoded.empty() ? p.endSample : std::min(p.decodedAt, p.endSample);
        if (p.decoded.empty() && p.endSample == std::numeric_limits<int64_t>::max())
            return true;
        if (until > p.nextSample) {
            const int64_t n = std::min(kSilenceChunk, until - p.nextSample);
            out.assign(size_t(n) * channels, 0.0f);
            p.nextSample += n;
            break;
        }
        // The frame's samples from the next one on; those before it were
        // heard already.
        const int64_t count = int64_t(p.decoded.size() / channels);
        const int64_t skip = std::min(count, p.nextSample - p.decodedAt);
        const int64_t n = std::min(count - skip, p.endSample - p.nextSample);
        out.assign(p.decoded.begin() + std::ptrdiff_t(skip * int64_t(channels)),
                   p.decoded.begin() + std::ptrdiff_t((skip + n) * int64_t(channels)));
        p.nextSample += n;
        p.decoded.clear();
    }
    return !(out.empty() && MostlyRefused(p, why));
}

}  // namespace

size_t SoundDecoder::Held() const
{
    return (parts_->ready.size() - parts_->readyAt + parts_->decoded.size()) / size_t(format_.channels);
}

long SoundDecoder::Read(float* into, size_t frames, std::string& why)
{
    Parts& p = *parts_;
    const size_t channels = size_t(format_.channels);
    size_t made = 0;
    while (made < frames) {
        if (p.readyAt < p.ready.size()) {
            const size_t n = std::min(frames - made, (p.ready.size() - p.readyAt) / channels);
            std::memcpy(into + made * channels, p.ready.data() + p.readyAt, n * channels * sizeof(float));
            p.readyAt += n * channels;
            made += n;
            continue;
        }
        p.ready.clear();
        p.readyAt = 0;
        if (p.tempo && p.tempo->Ended())
            break;
        if (!Place(p, format_, p.placed, why))
            return -1;
        if (!p.tempo) {
            if (p.placed.empty())
                break;
            p.ready.swap(p.placed);
        } else if (!p.tempo->Push(p.placed, p.ready, why)) {
            return -1;
        }
    }
    return long(made);
}

}  // namespace plexo::audio
