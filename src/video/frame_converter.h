#pragma once
// Decoded video frames made into the system's pictures: blue-green-red or
// grey, bottom row first, colour-converted with the stream's matrix and
// range (BT.601 where it says nothing, as FFmpeg does), then mirrored and
// turned as the stream's display matrix says. Safe to call from several
// threads at once.

#include <mutex>
#include <vector>

#include "image/picture.h"
#include "image/stereo_layout.h"
#include "video/av_handles.h"
#include "video/orientation.h"

namespace plexo::video {

// A rectangle of a decoded frame, rows counted from the top, as an eye's
// place is.
using FrameCut = EyePlace;

class FrameConverter {
public:
    explicit FrameConverter(Orientation orientation) : orientation_(orientation) {}

    // A null buffer when memory or the scaler cannot be had.
    PictureBuffer Convert(const AVFrame& frame, Tone tone);
    // Writes the frame's colour pixels, not yet oriented, into `into` of the
    // frame's own size.
    bool ToColour(const AVFrame& frame, PictureBuffer& into);
    // Writes the part `cut` of the frame (its rows counted from the top, as
    // the decoder stores them) scaled to the size of `into` in one pass,
    // colour, not oriented, the work split over the cores. False when the
    // cut does not fall on the frame's chroma grid, its format is not one
    // the pass can cut, or the scaler cannot be had.
    bool ToSize(const AVFrame& frame, const FrameCut& cut, PictureBuffer& into);
    const Orientation& Orienting() const { return orientation_; }

private:
    // What converts one cut to one size, kept for the frames that follow.
    // Where the frame is 8-bit 4:2:0, `scaler` scales its planes alone into
    // `scaled`, and `toColour` converts those at the same size on the
    // scaler's fast path, which costs less than one scaled pass to colour,
    // over the columns that path can make without writing past them;
    // `edge` makes the last columns through `edgeRows`. Otherwise `scaler`
    // alone converts and scales.
    struct SizedScaler {
        ScalerHandle scaler;
        int fromWidth = 0, fromHeight = 0, format = -1, toWidth = 0, toHeight = 0;
        int colorspace = -1;
        bool fullRange = false;
        FrameHandle scaled;
        ScalerHandle toColour;
        ScalerHandle edge;
        std::vector<uint8_t> edgeRows;
    };
    SizedScaler TakeSized(const AVFrame& frame, const FrameCut& cut, int toWidth, int toHeight);
    // The second pass: `sized.scaled` converted into `into` of its size.
    static bool ScaledToColour(SizedScaler& sized, PictureBuffer& into);

    Orientation orientation_;
    // Scalers not in use; each call takes one, so that calls on several
    // threads convert at once.
    std::mutex mutex_;
    std::vector<ScalerHandle> idle_;
    std::vector<SizedScaler> idleSized_;
};

// The picture mirrored left to right when the orientation says so, then
// turned clockwise by its degrees.
PictureBuffer Oriented(const Picture& picture, Orientation orientation);
// The same into `turned`, which has the turned size already.
void OrientInto(const Picture& picture, Orientation orientation, PictureBuffer& turned);

}  // namespace plexo::video
