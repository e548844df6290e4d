#include "audio/export_encoder.h"

#include <algorithm>
#include <vector>

extern "C" {
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

#include "video/av_handles.h"

namespace plexo::audio {

namespace {

constexpr int kFallbackRate = 48000;
// The decoder's samples read at a time.
constexpr int kChunk = 4096;

struct FifoFreer {
    void operator()(AVAudioFifo* f) const { av_audio_fifo_free(f); }
};

// The encoder's layout of the most channels, up to `channels` and 8, that
// it lists; the plain layout of that many when it lists none.
AVChannelLayout LayoutFor(const AVCodec& aac, int channels)
{
    const int most = std::min(channels, kMostChannels);
    AVChannelLayout layout{};
    const AVChannelLayout* best = nullptr;
    for (const AVChannelLayout* l = aac.ch_layouts; l && l->nb_channels; ++l)
        if (l->nb_channels <= most && (!best || l->nb_channels > best->nb_channels))
            best = l;
    if (best)
        av_channel_layout_copy(&layout, best);
    else
        av_channel_layout_default(&layout, most);
    return layout;
}

int RateFor(const AVCodec& aac, int rate)
{
    if (!aac.supported_samplerates)
        return rate;
    for (const int* r = aac.supported_samplerates; *r; ++r)
        if (*r == rate)
            return rate;
    return kFallbackRate;
}

class AacPackets final : public SoundPackets {
public:
    AacPackets(SoundDecoder& decoder, video::CodecHandle encoder, const AVStream& out, int64_t first)
        : decoder_(decoder), encoder_(std::move(encoder)), out_(out), channels_(encoder_->ch_layout.nb_channels),
          next_(first)
    {
    }

    // The resampler from the decoder's rate to the encoder's, the kept
    // channels in the encoder's layout on both sides so that nothing is
    // mixed, and the samples between the two.
    bool Start(std::string& why)
    {
        SwrContext* made = nullptr;
        AVChannelLayout* layout = &encoder_->ch_layout;
        const int error = swr_alloc_set_opts2(&made, layout, AV_SAMPLE_FMT_FLTP, encoder_->sample_rate, layout,
                                              AV_SAMPLE_FMT_FLT, decoder_.Format().rate, 0, nullptr);
        resampler_.reset(made);
        if (error < 0 || swr_init(made) < 0) {
            why = "the sound cannot be resampled";
            return false;
        }
        fifo_.reset(av_audio_fifo_alloc(AV_SAMPLE_FMT_FLTP, channels_, kChunk));
        if (!fifo_) {
            why = "out of memory";
            return false;
        }
        return true;
    }

    bool Next(AVPacket& packet, std::string& why) override
    {
        for (;;) {
            const int got = avcodec_receive_packet(encoder_.get(), &packet);
            if (got == 0) {
                av_packet_rescale_ts(&packet, encoder_->time_base, out_.time_base);
                return true;
            }
            if (got != AVERROR(EAGAIN)) {
                if (got != AVERROR_EOF)
                    why = "the sound cannot be encoded";
                return false;
            }
            if (!Feed(why))
                return false;
        }
    }

private:
    // One frame of the encoder's size into it, reading and resampling as
    // much as that takes; at the end the last short frame, then the end.
    bool Feed(std::string& why)
    {
        const int size = encoder_->frame_size > 0 ? encoder_->frame_size : 1024;
        while (!ended_ && av_audio_fifo_size(fifo_.get()) < size)
            if (!Fill(why))
                return false;
        const int samples = std::min(size, av_audio_fifo_size(fifo_.get()));
        if (samples == 0)
            return avcodec_send_frame(encoder_.get(), nullptr) >= 0 || (why = "the sound cannot be encoded", false);
        video::FrameHandle frame(av_frame_alloc());
        if (!frame)
            return (why = "out of memory", false);
        frame->format = encoder_->sample_fmt;
        frame->sample_rate = encoder_->sample_rate;
        av_channel_layout_copy(&frame->ch_layout, &encoder_->ch_layout);
        frame->nb_samples = samples;
        frame->pts = next_;
        next_ += samples;
        if (av_frame_get_buffer(frame.get(), 0) < 0 ||
            av_audio_fifo_read(fifo_.get(), reinterpret_cast<void**>(frame->extended_data), samples) != samples)
            return (why = "out of memory", false);
        if (avcodec_send_frame(encoder_.get(), frame.get()) < 0)
            return (why = "the sound cannot be encoded", false);
        return true;
    }

    // The decoder's next samples, their first channels resampled into the
    // FIFO; at the decoder's end, what the resampler still holds.
    bool Fill(std::string& why)
    {
        const int from = decoder_.Format().channels;
        read_.resize(size_t(kChunk) * size_t(from));
        const long made = decoder_.Read(read_.data(), kChunk, why);
        if (made < 0)
            return false;
        ended_ = made == 0;
        kept_.resize(size_t(made) * size_t(channels_));
        for (long i = 0; i < made; ++i)
            std::copy_n(read_.data() + size_t(i) * size_t(from), channels_, kept_.data() + size_t(i) * size_t(channels_));
        const int room = swr_get_out_samples(resampler_.get(), int(made));
        planes_.resize(size_t(channels_));
        std::vector<uint8_t*> out(static_cast<size_t>(channels_));
        for (int c = 0; c < channels_; ++c) {
            planes_[size_t(c)].resize(size_t(std::max(room, 1)));
            out[size_t(c)] = reinterpret_cast<uint8_t*>(planes_[size_t(c)].data());
        }
        const auto* in = reinterpret_cast<const uint8_t*>(kept_.data());
        const int converted = swr_convert(resampler_.get(), out.data(), room, made ? &in : nullptr, int(made));
        if (converted < 0)
            return (why = "the sound cannot be resampled", false);
        if (av_audio_fifo_write(fifo_.get(), reinterpret_cast<void**>(out.data()), converted) != converted)
            return (why = "out of memory", false);
        return true;
    }

    SoundDecoder& decoder_;
    video::CodecHandle encoder_;
    const AVStream& out_;
    const int channels_;
    std::unique_ptr<SwrContext, ResamplerFreer> resampler_;
    std::unique_ptr<AVAudioFifo, FifoFreer> fifo_;
    std::vector<float> read_, kept_;
    std::vector<std::vector<float>> planes_;
    // The next sample's time, in samples at the encoder's rate.
    int64_t next_;
    bool ended_ = false;
};

}  // namespace

std::unique_ptr<SoundPackets> EncodeToAac(SoundDecoder& decoder, Micros from, AVStream& out, bool globalHeader,
                                          std::string& why)
{
    if (!decoder.Restart(from, 1.0, why))
        return nullptr;
    const AVCodec* aac = avcodec_find_encoder_by_name("aac");
    video::CodecHandle encoder(aac ? avcodec_alloc_context3(aac) : nullptr);
    if (!encoder) {
        why = "no AAC encoder in FFmpeg's libraries";
        return nullptr;
    }
    const SinkFormat format = decoder.Format();
    encoder->sample_fmt = AV_SAMPLE_FMT_FLTP;
    encoder->sample_rate = RateFor(*aac, format.rate);
    encoder->time_base = AVRational{1, encoder->sample_rate};
    encoder->ch_layout = LayoutFor(*aac, format.channels);
    if (globalHeader)
        encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (const int error = avcodec_open2(encoder.get(), aac, nullptr); error < 0) {
        why = "the AAC encoder takes no such sound: " + video::ErrorText(error);
        return nullptr;
    }
    if (avcodec_parameters_from_context(out.codecpar, encoder.get()) < 0) {
        why = "out of memory";
        return nullptr;
    }
    out.time_base = encoder->time_base;
    const int64_t first = av_rescale(from, encoder->sample_rate, 1000000);
    auto packets = std::make_unique<AacPackets>(decoder, std::move(encoder), out, first);
    if (!packets->Start(why))
        return nullptr;
    return packets;
}

}  // namespace plexo::audio
