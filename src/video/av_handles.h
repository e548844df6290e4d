#pragma once
// Owners of FFmpeg's objects, so that every path out of a function frees
// what it made.

#include <memory>
#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

namespace plexo::video {

struct FormatCloser {
    void operator()(AVFormatContext* c) const { avformat_close_input(&c); }
};
struct CodecFreer {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct PacketFreer {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct FrameFreer {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct ScalerFreer {
    void operator()(SwsContext* s) const { sws_freeContext(s); }
};

using FormatHandle = std::unique_ptr<AVFormatContext, FormatCloser>;
using CodecHandle = std::unique_ptr<AVCodecContext, CodecFreer>;
using PacketHandle = std::unique_ptr<AVPacket, PacketFreer>;
using FrameHandle = std::unique_ptr<AVFrame, FrameFreer>;
using ScalerHandle = std::unique_ptr<SwsContext, ScalerFreer>;
// A decoded frame shared between the cache and the pictures made from it.
using SharedFrame = std::shared_ptr<const AVFrame>;

inline SharedFrame Share(FrameHandle frame)
{
    return SharedFrame(frame.release(), [](const AVFrame* f) {
        AVFrame* owned = const_cast<AVFrame*>(f);
        av_frame_free(&owned);
    });
}

// FFmpeg's text for an error code.
std::string ErrorText(int error);

// Silences the libraries' own log: their lines would go to the standard
// error of the viewer, and what matters reaches the user through our
// messages.
void QuietLibraries();

}  // namespace plexo::video
