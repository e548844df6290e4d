#pragma once
// One video file opened through libavformat and libavcodec: what its video
// stream states (size, rate, frame count, stereo layout, rotation) and its
// frames decoded one after another in presentation order, from the start or
// from the keyframe before a time. Used from one thread at a time.

#include <cstdint>
#include <memory>
#include <string>

#include "image/projection.h"
#include "image/stereo_layout.h"
#include "video/av_handles.h"
#include "video/orientation.h"
#include "video/video_input.h"

namespace plexo::video {

// The largest frame side a video may have; its frames go whole into memory
// several times over (decoded, cached, converted).
inline constexpr int kMaxVideoSide = 16384;

// Failed: the frame could not be had for want of memory; the film goes on
// past it, so a caller never takes it for the end.
enum class Decoded { Frame, End, Damaged, Failed };

// What the stream states, copied on opening: the facts any thread may read
// while the file itself stays with the thread that decodes.
struct VideoFacts {
    int streamIndex = -1;
    AVRational timeBase{1, 1};
    // Frames a second; 0 when the stream states none.
    double frameRate = 0;
    // The frame count the container states; 0 when it states none.
    int64_t statedCount = 0;
    // The first frame's time, in the time base.
    int64_t firstTime = 0;
    // How to mirror and turn the pictures for display.
    Orientation orientation;
    SourceProjection sphere;
};

class VideoFile {
public:
    // The file's video stream with its first frame decoded; null with `why`
    // set when the file cannot be read as a video, has frames larger than
    // kMaxVideoSide a side or a decoder that fails.
    static std::unique_ptr<VideoFile> Open(const std::string& path, std::string& why);
    // The same over an input, null when it could not be opened; `maxSide`
    // below kMaxVideoSide refuses smaller frames too.
    static std::unique_ptr<VideoFile> Open(InputHandle input, std::string& why, int maxSide = kMaxVideoSide);

    int StreamIndex() const { return stream_->index; }
    AVRational TimeBase() const { return stream_->time_base; }
    // Frames a second the stream states; 0 when it states none.
    double FrameRate() const;
    // The frame count the container states; 0 when it states none.
    int64_t StatedCount() const { return stream_->nb_frames > 0 ? stream_->nb_frames : 0; }
    // The first frame's time, in the stream's time base.
    int64_t FirstTime() const { return firstTime_; }
    // How the pictures are mirrored and turned for display.
    Orientation Orienting() const { return orientation_; }
    // The frames' size as stored, and the shape of a sample (its width over
    // its height) as the stream, else its codec, states it; 0 when neither.
    int Width() const { return stream_->codecpar->width; }
    int Height() const { return stream_->codecpar->height; }
    double SampleAspect() const;
    // The layout the stream's metadata (Matroska StereoMode, the MP4 st3d
    // box) states, else the frame-packing SEI of its first frame; never half,
    // which neither can say.
    SourceLayout Layout() const { return layout_; }
    // The spherical projection the stream's metadata (the MP4 sv3d box,
    // Matroska's Projection) states; from nobody when none.
    SourceProjection Sphere() const { return sphere_; }
    VideoFacts Facts() const;
    // False when the stream states no rate, or when the times of the packets
    // the container's index lists (in decoding order) stray from steps of one
    // frame at that rate: a variable rate, whose frames a count and a rate
    // cannot place.
    bool IndexStepsEvenly() const;

    // The next frame in presentation order. Damaged: a packet the decoder
    // refused or a frame past the size limit (DamageText says why); decoding
    // goes on after it. Failed: no memory for the frame (DamageText says so).
    Decoded Next(FrameHandle& frame);
    // While on, the decoder drops the frames no other frame refers to (most
    // B-frames) from the packets fed from then on, which costs it far less.
    void SkipUnreferenced(bool on);
    std::string DamageText() const { return damage_; }
    // Decoding starts again at the keyframe at or before `time`, or at the
    // first frame when `time` is at or before it. False when the container
    // cannot seek.
    bool SeekBefore(int64_t time);

private:
    VideoFile() = default;
    bool Start(InputHandle input, int maxSide, std::string& why);
    void ReadStreamFacts();
    enum class Fed { Packet, End, Failed };
    // Fills the codec with the next packet of the stream.
    Fed Feed();

    InputHandle format_;
    CodecHandle codec_;
    PacketHandle packet_;
    AVStream* stream_ = nullptr;
    // The first frame, decoded on opening and given by the first Next.
    FrameHandle first_;
    int64_t firstTime_ = 0;
    Orientation orientation_;
    SourceLayout layout_;
    SourceProjection sphere_;
    bool draining_ = false;
    std::string damage_;
};

// The frame's time, in its stream's time base; AV_NOPTS_VALUE when unknown.
int64_t TimeOf(const AVFrame& frame);

}  // namespace plexo::video
