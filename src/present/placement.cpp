#include "present/placement.h"

#include <algorithm>

namespace plexo {

namespace {

// The picture's position 0 at frame position `offset`, cut to both.
Span SpanAt(int64_t pictureSize, int64_t frameSize, int64_t offset)
{
    if (pictureSize <= 0 || frameSize <= 0)
        return {};
    const int64_t src = std::max<int64_t>(0, -offset);
    const int64_t dst = std::max<int64_t>(0, offset);
    const int64_t count = std::min(pictureSize - src, frameSize - dst);
    return count > 0 ? Span{src, dst, count} : Span{};
}

}  // namespace

Span CentredSpan(int64_t pictureSize, int64_t frameSize) { return RaisedSpan(pictureSize, frameSize, 0); }

// trunc((frame − picture) / 2) is where the centred picture starts, the
// first of a taller picture's rows lying below the frame when negative.
Span RaisedSpan(int64_t pictureHeight, int64_t frameHeight, int64_t up)
{
    return SpanAt(pictureHeight, frameHeight, (frameHeight - pictureHeight) / 2 + up);
}

Span DisplacedSpan(int64_t pictureWidth, int64_t frameWidth, int64_t shift)
{
    // The picture's right edge lies trunc(pw/2) + shift right of the centre.
    return SpanAt(pictureWidth, frameWidth, frameWidth / 2 + pictureWidth / 2 + shift - pictureWidth);
}

}  // namespace plexo
