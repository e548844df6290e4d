#pragma once
// Where a picture lands in the frame along one axis. Every size and term is
// 64-bit so that no picture size, view size or displacement can wrap.

#include <cstdint>

namespace plexo {

// `count` pixels from source position `src` go to frame position `dst`;
// nothing is copied when count ≤ 0. A span made by the functions below lies
// inside both the picture and the frame.
struct Span {
    int64_t src = 0;
    int64_t dst = 0;
    int64_t count = 0;
};

// A picture centred in the frame: a larger one loses equal bands at both ends
// (the odd pixel at the far end), a smaller one has black on both sides.
// Used for every vertical placement and the plain horizontal one.
Span CentredSpan(int64_t pictureSize, int64_t frameSize);
// The centred placement of the rows moved `up` rows towards the top of the
// screen (a frame's rows count from the bottom), cut to the frame: the
// vertical alignment of a stereo pair's second eye.
Span RaisedSpan(int64_t pictureHeight, int64_t frameHeight, int64_t up);

// The stereo horizontal placement: the picture's centre column lands `shift`
// columns right of the frame's centre (both halves truncated), cut to the
// frame.
Span DisplacedSpan(int64_t pictureWidth, int64_t frameWidth, int64_t shift);

// The shifts of the two stereo pictures for the displacement D. They are not
// mirror images: the first is trunc(D/2) − D, the second +D.
constexpr int64_t FirstShift(int64_t dist) { return dist / 2 - dist; }
constexpr int64_t SecondShift(int64_t dist) { return dist; }

}  // namespace plexo
