#pragma once
// How a video's pictures are shown, as the display matrix of its stream
// says: mirrored left to right or not, then turned.

#include <cstdint>

namespace plexo::video {

struct Orientation {
    bool mirrored = false;
    // Degrees clockwise after the mirroring: 0, 90, 180 or 270.
    int degrees = 0;

    bool operator==(const Orientation&) const = default;
};

// The orientation of a display matrix (libavutil/display.h), its turn
// rounded to a right angle; upright for a matrix without one.
Orientation OrientationOf(const int32_t matrix[9]);

}  // namespace plexo::video
