#pragma once
// Decoded video frames made into the system's pictures: blue-green-red or
// grey, bottom row first, colour-converted with the stream's matrix and
// range (BT.601 where it says nothing, as FFmpeg does) and turned by the
// stream's rotation. Safe to call from several threads at once.

#include <mutex>
#include <vector>

#include "image/picture.h"
#include "video/av_handles.h"

namespace plexo::video {

class FrameConverter {
public:
    // `rotation`: degrees clockwise, 0, 90, 180 or 270.
    explicit FrameConverter(int rotation) : rotation_(rotation) {}

    // A null buffer when memory or the scaler cannot be had.
    PictureBuffer Convert(const AVFrame& frame, Tone tone);

private:
    // Writes the frame's colour pixels into `into` of the frame's own size.
    bool ToColour(const AVFrame& frame, PictureBuffer& into);

    int rotation_;
    // Scalers not in use; each call takes one, so that calls on several
    // threads convert at once.
    std::mutex mutex_;
    std::vector<ScalerHandle> idle_;
};

// The picture turned clockwise by 90, 180 or 270 degrees.
PictureBuffer Rotated(const Picture& picture, int degrees);

}  // namespace plexo::video
