#include "video/stereo_video_writer.h"

#include <cstring>
#include <string>
#include <vector>

#include "platform/log.h"
#include "video/atomic_output.h"
#include "video/av_handles.h"

extern "C" {
#include <libavutil/stereo3d.h>
}

namespace plexo::video {

namespace {

struct OutputFreer {
    void operator()(AVFormatContext* c) const { avformat_free_context(c); }
};
using OutputHandle = std::unique_ptr<AVFormatContext, OutputFreer>;

struct DictionaryFreer {
    void operator()(AVDictionary* d) const { av_dict_free(&d); }
};

constexpr int kMaxCrf = 51;

// A 3D television takes a frame-packed picture only at exactly its mode's
// size, which 4:2:0 cannot code for 2205 rows; such a video is 4:4:4.
bool FramePacked(VideoLayout layout)
{
    return layout == VideoLayout::FramePacking1080 || layout == VideoLayout::FramePacking720;
}

AVStereo3DType StereoTypeOf(VideoLayout layout)
{
    return layout == VideoLayout::SideBySide || layout == VideoLayout::SideBySideHalf ? AV_STEREO3D_SIDEBYSIDE
                                                                                       : AV_STEREO3D_TOPBOTTOM;
}

class StereoVideoWriter final : public ExportWriter {
public:
    explicit StereoVideoWriter(const ExportStart& start)
        : path_(start.path), output_(start.path), width_(start.width), height_(start.height)
    {
    }

    bool Start(const ExportStart& start, const char* muxer);
    bool Put(const Picture& frame, int32_t number) override;
    bool Finish() override;

private:
    bool Fail(const std::string& why);
    bool Fail(const std::string& what, int error) { return Fail(what + ": " + ErrorText(error)); }
    bool OpenEncoder(const ExportOptions& options, double fps);
    bool AddStream(VideoLayout layout);
    // Sends the frame (null: the end) and muxes every packet it releases.
    bool Encode(const AVFrame* frame);

    std::string path_;
    AtomicOutput output_;
    OutputHandle format_;
    CodecHandle codec_;
    AVStream* stream_ = nullptr;
    FrameHandle frame_;
    PacketHandle packet_;
    ScalerHandle scaler_;
    // The frames handed in; the encoded ones are these rounded up to even.
    int width_, height_;
    // An odd-sized frame with its black column or row, for the scaler.
    std::vector<uint8_t> padded_;
    int64_t next_ = 0;
    bool failed_ = false;
};

bool StereoVideoWriter::Fail(const std::string& why)
{
    if (!failed_)
        LogMessage(path_ + ": " + why);
    failed_ = true;
    return false;
}

bool StereoVideoWriter::Start(const ExportStart& start, const char* muxer)
{
    if (!start.options || width_ < 1 || height_ < 1 || start.fps <= 0)
        return Fail("no frame size or rate to write");
    if (start.options->crf < 0 || start.options->crf > kMaxCrf)
        return Fail("the constant rate factor " + std::to_string(start.options->crf) + " is outside 0 to 51");
    if (!output_.context())
        return Fail("the file cannot be made");
    AVFormatContext* made = nullptr;
    if (const int error = avformat_alloc_output_context2(&made, nullptr, muxer, nullptr); error < 0)
        return Fail(std::string("no ") + muxer + " muxer", error);
    format_.reset(made);
    format_->pb = output_.context();
    // MP4's muxer writes the stereo box only at this compliance.
    format_->strict_std_compliance = FF_COMPLIANCE_UNOFFICIAL;
    // No random identifiers or dates: the same pairs and choices give the
    // same file, whichever front end wrote it and whenever.
    format_->flags |= AVFMT_FLAG_BITEXACT;
    if (!OpenEncoder(*start.options, start.fps) || !AddStream(start.options->layout))
        return false;
    if (const int error = avformat_write_header(format_.get(), nullptr); error < 0)
        return Fail("the header cannot be written", error);
    frame_.reset(av_frame_alloc());
    packet_.reset(av_packet_alloc());
    if (!frame_ || !packet_)
        return Fail("out of memory");
    frame_->format = codec_->pix_fmt;
    frame_->width = codec_->width;
    frame_->height = codec_->height;
    if (const int error = av_frame_get_buffer(frame_.get(), 0); error < 0)
        return Fail("no frame buffer", error);
    scaler_.reset(sws_getContext(codec_->width, codec_->height, AV_PIX_FMT_BGR24, codec_->width, codec_->height,
                                 codec_->pix_fmt, SWS_BICUBIC, nullptr, nullptr, nullptr));
    if (!scaler_)
        return Fail("no colour converter");
    // Studio range in the matrix the stream is tagged with, so that decoders
    // give back the colours written.
    const int* matrix = sws_getCoefficients(codec_->colorspace == AVCOL_SPC_BT709 ? SWS_CS_ITU709 : SWS_CS_ITU601);
    sws_setColorspaceDetails(scaler_.get(), matrix, 1, matrix, 0, 0, 1 << 16, 1 << 16);
    if (codec_->width != width_ || codec_->height != height_) {
        // Black around the frame's pixels, which each Put overwrites.
        padded_.assign(size_t(codec_->width) * size_t(codec_->height) * 3, 0);
    }
    return true;
}

bool StereoVideoWriter::OpenEncoder(const ExportOptions& options, double fps)
{
    const AVCodec* encoder = avcodec_find_encoder_by_name("libx264");
    if (!encoder)
        return Fail("no libx264 encoder in FFmpeg's libraries");
    codec_.reset(avcodec_alloc_context3(encoder));
    if (!codec_)
        return Fail("out of memory");
    // 4:2:0 halves both sides.
    const bool exact = FramePacked(options.layout) && ((width_ | height_) & 1);
    codec_->width = exact ? width_ : (width_ + 1) & ~1;
    codec_->height = exact ? height_ : (height_ + 1) & ~1;
    codec_->pix_fmt = exact ? AV_PIX_FMT_YUV444P : AV_PIX_FMT_YUV420P;
    codec_->framerate = av_d2q(fps, 1 << 20);
    codec_->time_base = av_inv_q(codec_->framerate);
    // HD in BT.709, smaller frames in BT.601, as players guess an untagged
    // stream's matrix.
    const bool hd = codec_->height >= 720;
    codec_->colorspace = hd ? AVCOL_SPC_BT709 : AVCOL_SPC_SMPTE170M;
    codec_->color_primaries = hd ? AVCOL_PRI_BT709 : AVCOL_PRI_SMPTE170M;
    codec_->color_trc = hd ? AVCOL_TRC_BT709 : AVCOL_TRC_SMPTE170M;
    codec_->color_range = AVCOL_RANGE_MPEG;
    // libx264's own choice of threads, as the ffmpeg program leaves it; the
    // context's default is one.
    codec_->thread_count = 0;
    if (format_->oformat->flags & AVFMT_GLOBALHEADER)
        codec_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    AVDictionary* settings = nullptr;
    av_dict_set(&settings, "preset", options.preset.c_str(), 0);
    av_dict_set_int(&settings, "crf", options.crf, 0);
    const int error = avcodec_open2(codec_.get(), encoder, &settings);
    std::unique_ptr<AVDictionary, DictionaryFreer> left(settings);
    if (error < 0)
        return Fail("libx264 does not start with the preset \"" + options.preset + "\" at " +
                        std::to_string(codec_->width) + " x " + std::to_string(codec_->height),
                    error);
    return true;
}

bool StereoVideoWriter::AddStream(VideoLayout layout)
{
    stream_ = avformat_new_stream(format_.get(), nullptr);
    if (!stream_)
        return Fail("out of memory");
    stream_->time_base = codec_->time_base;
    if (const int error = avcodec_parameters_from_context(stream_->codecpar, codec_.get()); error < 0)
        return Fail("the stream cannot be described", error);
    // No stereo type names frame packing's blank band: the frame goes to
    // the television as it is.
    if (FramePacked(layout))
        return true;
    auto* stereo = reinterpret_cast<AVStereo3D*>(
        av_stream_new_side_data(stream_, AV_PKT_DATA_STEREO3D, sizeof(AVStereo3D)));
    if (!stereo)
        return Fail("out of memory");
    // The first eye left or on top: no invert flag.
    std::memset(stereo, 0, sizeof *stereo);
    stereo->type = StereoTypeOf(layout);
    return true;
}

bool StereoVideoWriter::Put(const Picture& frame, int32_t)
{
    if (failed_)
        return false;
    if (frame.width != width_ || frame.height != height_ || frame.bytesPerPixel != 3)
        return Fail("a frame of another size than the video's");
    if (const int error = av_frame_make_writable(frame_.get()); error < 0)
        return Fail("no frame buffer", error);
    // The scaler takes rows from the top down.
    const uint8_t* top = frame.row(frame.height - 1);
    ptrdiff_t down = -frame.rowStride;
    if (!padded_.empty()) {
        const size_t paddedRow = size_t(codec_->width) * 3;
        for (int r = 0; r < height_; ++r)
            std::memcpy(padded_.data() + size_t(r) * paddedRow, frame.row(height_ - 1 - r), frame.rowBytes());
        top = padded_.data();
        down = ptrdiff_t(paddedRow);
    }
    const uint8_t* const rows[4] = {top, nullptr, nullptr, nullptr};
    const int strides[4] = {int(down), 0, 0, 0};
    if (sws_scale(scaler_.get(), rows, strides, 0, codec_->height, frame_->data, frame_->linesize) != codec_->height)
        return Fail("the colour conversion failed");
    frame_->pts = next_++;
    return Encode(frame_.get());
}

bool StereoVideoWriter::Encode(const AVFrame* frame)
{
    if (const int error = avcodec_send_frame(codec_.get(), frame); error < 0)
        return Fail("the encoder fails", error);
    for (;;) {
        const int got = avcodec_receive_packet(codec_.get(), packet_.get());
        if (got == AVERROR(EAGAIN) || got == AVERROR_EOF)
            return true;
        if (got < 0)
            return Fail("the encoder fails", got);
        // Each frame lasts one step; without it MP4's edit list ends at the
        // last frame's start and players drop that frame.
        if (packet_->duration == 0)
            packet_->duration = 1;
        av_packet_rescale_ts(packet_.get(), codec_->time_base, stream_->time_base);
        packet_->stream_index = stream_->index;
        if (const int error = av_interleaved_write_frame(format_.get(), packet_.get()); error < 0)
            return Fail("cannot be written", error);
    }
}

bool StereoVideoWriter::Finish()
{
    if (failed_ || !Encode(nullptr))
        return false;
    if (const int error = av_write_trailer(format_.get()); error < 0)
        return Fail("the index cannot be written", error);
    if (!output_.commit())
        return Fail("cannot be made final");
    return true;
}

}  // namespace

std::unique_ptr<ExportWriter> OpenStereoVideoWriter(const ExportStart& start, const char* muxer)
{
    QuietLibraries();
    auto writer = std::make_unique<StereoVideoWriter>(start);
    if (!writer->Start(start, muxer))
        return nullptr;
    return writer;
}

}  // namespace plexo::video
