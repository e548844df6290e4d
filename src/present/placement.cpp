#include "present/placement.h"

#include <algorithm>

namespace plexo {

Span CentredSpan(int64_t pictureSize, int64_t frameSize)
{
    if (pictureSize <= 0 || frameSize <= 0)
        return {};
    const int64_t count = std::min(pictureSize, frameSize);
    return {(pictureSize - count) / 2, (frameSize - count) / 2, count};
}

Span DisplacedSpan(int64_t pictureWidth, int64_t frameWidth, int64_t shift)
{
    if (pictureWidth <= 0 || frameWidth <= 0)
        return {};
    const int64_t half = frameWidth / 2;
    const int64_t right = pictureWidth / 2 + shift;  // one past the picture's last column, from the centre
    const int64_t left = right - pictureWidth;
    const int64_t count = std::min(right, half) - std::max(left, -half);
    if (count <= 0)
        return {};
    const int64_t x0 = half + left;
    return x0 > 0 ? Span{0, x0, count} : Span{-x0, 0, count};
}

}  // namespace plexo
