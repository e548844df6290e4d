#pragma once
// Decoded video frames made into the system's pictures: blue-green-red or
// grey, bottom row first, colour-converted with the stream's matrix and
// range (BT.601 where it says nothing, as FFmpeg does), then mirrored and
// turned as the stream's display matrix says. Safe to call from several
// threads at once.

#include <mutex>
#include <vector>

#include "image/picture.h"
#include "video/av_handles.h"
#include "video/orientation.h"

namespace plexo::video {

class FrameConverter {
public:
    explicit FrameConverter(Orientation orientation) : orientation_(orientation) {}

    // A null buffer when memory or the scaler cannot be had.
    PictureBuffer Convert(const AVFrame& frame, Tone tone);
    // Writes the frame's colour pixels, not yet oriented, into `into` of the
    // frame's own size.
    bool ToColour(const AVFrame& frame, PictureBuffer& into);
    const Orientation& Orienting() const { return orientation_; }

private:

    Orientation orientation_;
    // Scalers not in use; each call takes one, so that calls on several
    // threads convert at once.
    std::mutex mutex_;
    std::vector<ScalerHandle> idle_;
};

// The picture mirrored left to right when the orientation says so, then
// turned clockwise by its degrees.
PictureBuffer Oriented(const Picture& picture, Orientation orientation);
// The same into `turned`, which has the turned size already.
void OrientInto(const Picture& picture, Orientation orientation, PictureBuffer& turned);

}  // namespace plexo::video
