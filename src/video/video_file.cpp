#include "video/video_file.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>

extern "C" {
#include <libavutil/display.h>
#include <libavutil/log.h>
#include <libavutil/spherical.h>
#include <libavutil/stereo3d.h>
}

namespace plexo::video {

namespace {

bool FitsLimit(int width, int height, int side = kMaxVideoSide)
{
    return width > 0 && height > 0 && width <= side && height <= side;
}

std::string SizeRefusal(int width, int height, int side = kMaxVideoSide)
{
    return "its frames of " + std::to_string(width) + " x " + std::to_string(height) + " pixels exceed " +
           std::to_string(side) + " pixels a side";
}

double RateOf(AVRational rate)
{
    return rate.num > 0 && rate.den > 0 ? av_q2d(rate) : 0;
}

SourceLayout LayoutOf(const AVStereo3D& stereo, LayoutOrigin origin)
{
    SourceLayout source;
    switch (stereo.type) {
    case AV_STEREO3D_SIDEBYSIDE:
    case AV_STEREO3D_SIDEBYSIDE_QUINCUNX:
        source.layout.kind = LayoutKind::SideBySide;
        break;
    case AV_STEREO3D_TOPBOTTOM:
        source.layout.kind = LayoutKind::TopBottom;
        break;
    default:
        return source;
    }
    source.layout.rightFirst = stereo.flags & AV_STEREO3D_FLAG_INVERT;
    source.origin = origin;
    return source;
}

// 16.16 fixed-point degrees.
double FixedDegrees(int32_t value) { return value / 65536.0; }

SourceProjection ProjectionOf(const AVSphericalMapping& mapping)
{
    std::optional<Projection> projection;
    switch (mapping.projection) {
    case AV_SPHERICAL_EQUIRECTANGULAR:
        projection = ProjectionOfKind(ProjectionKind::Equirect);
        break;
    case AV_SPHERICAL_EQUIRECTANGULAR_TILE: {
        // The bounds are 0.32 fixed-point fractions cut from each side.
        constexpr double kOne = 4294967296.0;
        projection = CroppedProjection(mapping.bound_left / kOne, mapping.bound_top / kOne,
                                       mapping.bound_right / kOne, mapping.bound_bottom / kOne);
        break;
    }
    case AV_SPHERICAL_CUBEMAP:
        projection = ProjectionOfKind(ProjectionKind::Cubemap);
        break;
    default:
        projection = ProjectionOfKind(ProjectionKind::Mesh);
        break;
    }
    if (!projection)
        return {};
    projection->yaw = FixedDegrees(mapping.yaw);
    projection->pitch = FixedDegrees(mapping.pitch);
    projection->roll = FixedDegrees(mapping.roll);
    return {*projection, ProjectionOrigin::Metadata};
}

}  // namespace

std::string ErrorText(int error)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(error, text, sizeof text);
    return text;
}

void QuietLibraries()
{
    static std::once_flag quiet;
    std::call_once(quiet, [] { av_log_set_level(AV_LOG_QUIET); });
}

int64_t TimeOf(const AVFrame& frame)
{
    return frame.best_effort_timestamp != AV_NOPTS_VALUE ? frame.best_effort_timestamp : frame.pts;
}

std::unique_ptr<VideoFile> VideoFile::Open(const std::string& path, std::string& why)
{
    return Open(OpenVideoInputFile(path, why), why);
}

std::unique_ptr<VideoFile> VideoFile::Open(InputHandle input, std::string& why, int maxSide)
{
    if (!input)
        return nullptr;
    std::unique_ptr<VideoFile> file(new VideoFile);
    if (!file->Start(std::move(input), std::min(maxSide, kMaxVideoSide), why))
        return nullptr;
    return file;
}

bool VideoFile::Start(InputHandle input, int maxSide, std::string& why)
{
    format_ = std::move(input);
    if (const int error = avformat_find_stream_info(format_.get(), nullptr); error < 0) {
        why = ErrorText(error);
        return false;
    }
    const AVCodec* decoder = nullptr;
    const int index = av_find_best_stream(format_.get(), AVMEDIA_TYPE_VIDEO, -1, -1, &decoder, 0);
    if (index < 0 || !decoder) {
        why = index == AVERROR_DECODER_NOT_FOUND ? "no decoder for its video" : "no video in it";
        return false;
    }
    stream_ = format_->streams[index];
    for (unsigned i = 0; i < format_->nb_streams; ++i)
        if (int(i) != index)
            format_->streams[i]->discard = AVDISCARD_ALL;
    const AVCodecParameters& parameters = *stream_->codecpar;
    if (!FitsLimit(parameters.width, parameters.height, maxSide)) {
        why = SizeRefusal(parameters.width, parameters.height, maxSide);
        return false;
    }
    codec_.reset(avcodec_alloc_context3(decoder));
    packet_.reset(av_packet_alloc());
    if (!codec_ || !packet_) {
        why = "out of memory";
        return false;
    }
    if (const int error = avcodec_parameters_to_context(codec_.get(), &parameters); error < 0) {
        why = "the " + std::string(decoder->name) + " decoder cannot take the stream's parameters: " +
              ErrorText(error);
        return false;
    }
    codec_->pkt_timebase = stream_->time_base;
    // The decoder refuses a larger frame before it makes room for it.
    codec_->max_pixels = int64_t(maxSide) * maxSide;
    // One thread a core, as the ffmpeg program decodes.
    codec_->thread_count = 0;
    if (const int error = avcodec_open2(codec_.get(), decoder, nullptr); error < 0) {
        why = "the " + std::string(decoder->name) + " decoder fails: " + ErrorText(error);
        return false;
    }
    ReadStreamFacts();
    // A stream whose first frame cannot be decoded gives no film; the decoder
    // may need several packets, and may refuse some on the way.
    FrameHandle first;
    Decoded got = Decoded::Damaged;
    while (got == Decoded::Damaged)
        got = Next(first);
    if (got != Decoded::Frame) {
        why = "the " + std::string(decoder->name) + " decoder gives no frame" +
              (damage_.empty() ? std::string() : ": " + damage_);
        return false;
    }
    first_ = std::move(first);
    firstTime_ = TimeOf(*first_) != AV_NOPTS_VALUE ? TimeOf(*first_) : 0;
    if (layout_.origin == LayoutOrigin::None)
        if (const AVFrameSideData* sei = av_frame_get_side_data(first_.get(), AV_FRAME_DATA_STEREO3D))
            layout_ = LayoutOf(*reinterpret_cast<const AVStereo3D*>(sei->data), LayoutOrigin::Sei);
    damage_.clear();
    return true;
}

void VideoFile::ReadStreamFacts()
{
    size_t size = 0;
    if (const uint8_t* stereo = av_stream_get_side_data(stream_, AV_PKT_DATA_STEREO3D, &size);
        stereo && size >= sizeof(AVStereo3D))
        layout_ = LayoutOf(*reinterpret_cast<const AVStereo3D*>(stereo), LayoutOrigin::Metadata);
    if (const uint8_t* sphere = av_stream_get_side_data(stream_, AV_PKT_DATA_SPHERICAL, &size);
        sphere && size >= sizeof(AVSphericalMapping)) {
        AVSphericalMapping mapping;
        std::memcpy(&mapping, sphere, sizeof mapping);
        sphere_ = ProjectionOf(mapping);
    }
    if (const uint8_t* matrix = av_stream_get_side_data(stream_, AV_PKT_DATA_DISPLAYMATRIX, &size);
        matrix && size >= 9 * sizeof(int32_t)) {
        int32_t entries[9];
        std::memcpy(entries, matrix, sizeof entries);
        orientation_ = OrientationOf(entries);
    }
}

Orientation OrientationOf(const int32_t matrix[9])
{
    // A matrix that mirrors has a negative determinant. Mirrored first, the
    // pictures are left to turn by the matrix with its first row negated.
    int32_t turn[9];
    std::copy(matrix, matrix + 9, turn);
    Orientation orientation;
    orientation.mirrored = double(matrix[0]) * matrix[4] - double(matrix[1]) * matrix[3] < 0;
    if (orientation.mirrored)
        for (const int i : {0, 1, 2})
            turn[i] = int32_t(-int64_t(turn[i]));
    // The matrix turns counter-clockwise; the ffmpeg program turns the
    // pictures back by its angle rounded to a right angle.
    const double angle = -av_display_rotation_get(turn);
    if (std::isfinite(angle)) {
        const long quarter = std::lround(angle / 90.0);
        orientation.degrees = int(((quarter % 4) + 4) % 4) * 90;
    }
    return orientation;
}

double VideoFile::SampleAspect() const
{
    for (const AVRational aspect : {stream_->sample_aspect_ratio, stream_->codecpar->sample_aspect_ratio})
        if (aspect.num > 0 && aspect.den > 0)
            return av_q2d(aspect);
    return 0;
}

double VideoFile::FrameRate() const
{
    const double average = RateOf(stream_->avg_frame_rate);
    return average > 0 ? average : RateOf(stream_->r_frame_rate);
}

VideoFacts VideoFile::Facts() const
{
    return {StreamIndex(), TimeBase(), FrameRate(), StatedCount(), FirstTime(), Orienting(), sphere_};
}

bool VideoFile::IndexStepsEvenly() const
{
    const double rate = FrameRate();
    if (!(rate > 0))
        return false;
    const double step = 1.0 / (rate * av_q2d(stream_->time_base));
    const int entries = avformat_index_get_entries_count(stream_);
    const AVIndexEntry* first = entries > 0 ? avformat_index_get_entry(stream_, 0) : nullptr;
    for (int i = 1; first && i < entries; ++i) {
        const AVIndexEntry* entry = avformat_index_get_entry(stream_, i);
        if (!entry || std::llround(double(entry->timestamp - first->timestamp) / step) != i)
            return false;
    }
    return true;
}

VideoFile::Fed VideoFile::Feed()
{
    for (;;) {
        // A read error in a cut or damaged file ends the frames as the end
        // of the file does; want of memory ends nothing.
        if (const int error = av_read_frame(format_.get(), packet_.get()); error < 0) {
            if (error != AVERROR(ENOMEM))
                return Fed::End;
            damage_ = ErrorText(error);
            return Fed::Failed;
        }
        if (packet_->stream_index != stream_->index) {
            av_packet_unref(packet_.get());
            continue;
        }
        const int error = avcodec_send_packet(codec_.get(), packet_.get());
        av_packet_unref(packet_.get());
        if (error < 0 && error != AVERROR(EAGAIN))
            damage_ = ErrorText(error);
        return error == AVERROR(ENOMEM) ? Fed::Failed : Fed::Packet;
    }
}

Decoded VideoFile::Next(FrameHandle& frame)
{
    if (first_) {
        frame = std::move(first_);
        return Decoded::Frame;
    }
    if (!frame)
        frame.reset(av_frame_alloc());
    if (!frame) {
        damage_ = "out of memory";
        return Decoded::Failed;
    }
    for (;;) {
        const int error = avcodec_receive_frame(codec_.get(), frame.get());
        if (error == 0) {
            if (FitsLimit(frame->width, frame->height))
                return Decoded::Frame;
            damage_ = SizeRefusal(frame->width, frame->height);
            return Decoded::Damaged;
        }
        if (error == AVERROR(ENOMEM)) {
            damage_ = ErrorText(error);
            return Decoded::Failed;
        }
        if (error != AVERROR(EAGAIN) || draining_)
            return Decoded::End;
        damage_.clear();
        const Fed fed = Feed();
        if (fed == Fed::Failed)
            return Decoded::Failed;
        if (fed == Fed::End) {
            draining_ = true;
            avcodec_send_packet(codec_.get(), nullptr);
        } else if (!damage_.empty()) {
            return Decoded::Damaged;
        }
    }
}

void VideoFile::SkipUnreferenced(bool on)
{
    codec_->skip_frame = on ? AVDISCARD_NONREF : AVDISCARD_DEFAULT;
}

bool VideoFile::SeekBefore(int64_t time)
{
    first_.reset();
    int error = -1;
    if (time > firstTime_)
        error = av_seek_frame(format_.get(), stream_->index, time, AVSEEK_FLAG_BACKWARD);
    if (error < 0)
        error = avformat_seek_file(format_.get(), stream_->index, INT64_MIN, firstTime_, firstTime_, 0);
    if (error < 0)
        error = av_seek_frame(format_.get(), stream_->index, firstTime_, AVSEEK_FLAG_BACKWARD);
    avcodec_flush_buffers(codec_.get());
    draining_ = false;
    return error >= 0;
}

}  // namespace plexo::video
