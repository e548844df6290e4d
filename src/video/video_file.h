#pragma once
// One video file opened through libavformat and libavcodec: what its video
// stream states (size, rate, frame count, stereo layout, rotation) and its
// frames decoded one after another in presentation order, from the start or
// from the keyframe before a time. Used from one thread at a time.

#include <cstdint>
#include <memory>
#include <string>

#include "image/stereo_layout.h"
#include "video/av_handles.h"

namespace plexo::video {

// The largest frame side a video may have; its frames go whole into memory
// several times over (decoded, cached, converted).
inline constexpr int kMaxVideoSide = 16384;

enum class Decoded { Frame, End, Damaged };

class VideoFile {
public:
    // The file's video stream with its first frame decoded; null with `why`
    // set when the file cannot be read as a video, has frames larger than
    // kMaxVideoSide a side or a decoder that fails.
    static std::unique_ptr<VideoFile> Open(const std::string& path, std::string& why);

    int StreamIndex() const { return stream_->index; }
    AVRational TimeBase() const { return stream_->time_base; }
    // Frames a second the stream states; 0 when it states none.
    double FrameRate() const;
    // The frame count the container states; 0 when it states none.
    int64_t StatedCount() const { return stream_->nb_frames > 0 ? stream_->nb_frames : 0; }
    // The first frame's time, in the stream's time base.
    int64_t FirstTime() const { return firstTime_; }
    // Degrees to turn the pictures clockwise for display: 0, 90, 180 or 270.
    int Rotation() const { return rotation_; }
    // The frames' size as stored, and the shape of a sample (its width over
    // its height) as the stream, else its codec, states it; 0 when neither.
    int Width() const { return stream_->codecpar->width; }
    int Height() const { return stream_->codecpar->height; }
    double SampleAspect() const;
    // The layout the stream's metadata (Matroska StereoMode, the MP4 st3d
    // box) states, else the frame-packing SEI of its first frame; never half,
    // which neither can say.
    SourceLayout Layout() const { return layout_; }

    // The next frame in presentation order. Damaged: a packet the decoder
    // refused or a frame past the size limit (DamageText says why); decoding
    // goes on after it.
    Decoded Next(FrameHandle& frame);
    std::string DamageText() const { return damage_; }
    // Decoding starts again at the keyframe at or before `time`, or at the
    // first frame when `time` is at or before it. False when the container
    // cannot seek.
    bool SeekBefore(int64_t time);

private:
    VideoFile() = default;
    bool Start(const std::string& path, std::string& why);
    void ReadStreamFacts();
    // Fills the codec with the next packet of the stream; false at the end.
    bool Feed();

    FormatHandle format_;
    CodecHandle codec_;
    PacketHandle packet_;
    AVStream* stream_ = nullptr;
    // The first frame, decoded on opening and given by the first Next.
    FrameHandle first_;
    int64_t firstTime_ = 0;
    int rotation_ = 0;
    SourceLayout layout_;
    bool draining_ = false;
    std::string damage_;
};

// The frame's time, in its stream's time base; AV_NOPTS_VALUE when unknown.
int64_t TimeOf(const AVFrame& frame);

}  // namespace plexo::video
