#include "align/aligned_pair.h"

#include <algorithm>
#include <cmath>

#include <opencv2/core/utility.hpp>

#include "align/two_pass_warp.h"

namespace plexo::align {

namespace {

// From a picture's pixel coordinates (column, row counted from the bottom)
// to its centred ones, y down.
Homography CentredFrom(int width, int height)
{
    return {1, 0, -(width - 1) / 2.0, 0, -1, (height - 1) / 2.0, 0, 0, 1};
}

bool Inside(const std::array<std::array<double, 2>, 4>& quad, double x, double y)
{
    // The corners go round in one direction; the point lies on the inner
    // side of every edge.
    double sign = 0;
    for (size_t i = 0; i < 4; ++i) {
        const auto& a = quad[i];
        const auto& b = quad[(i + 1) % 4];
        const double cross = (b[0] - a[0]) * (y - a[1]) - (b[1] - a[1]) * (x - a[0]);
        if (sign == 0)
            sign = cross;
        else if (cross * sign < 0)
            return false;
    }
    return true;
}

bool Covered(const Homography& warp, double w, double h, double share)
{
    std::array<std::array<double, 2>, 4> quad;
    const double corners[4][2] = {{-w / 2, -h / 2}, {w / 2, -h / 2}, {w / 2, h / 2}, {-w / 2, h / 2}};
    for (size_t i = 0; i < 4; ++i) {
        const auto moved = Apply(warp, corners[i][0], corners[i][1]);
        if (!moved)
            return false;
        quad[i] = *moved;
    }
    for (const auto& corner : corners)
        if (!Inside(quad, corner[0] * share, corner[1] * share))
            return false;
    return true;
}

struct OwnedEyes {
    PictureBuffer first;
    PictureBuffer second;
};

bool Warp(const Picture& from, const Homography& warp, int width, int height, PictureBuffer& to, Picture& view)
{
    if (!from)
        return true;
    to = PictureBuffer::allocate(width, height, from.bytesPerPixel);
    if (!to)
        return false;
    // For each target pixel, where it comes from in the source, both
    // counted from their bottom rows.
    const auto sourceFrom = Inverse(CentredFrom(from.width, from.height));
    const auto back = Inverse(warp);
    if (!sourceFrom || !back)
        return false;
    if (!TwoPassWarp(from, Multiply(*sourceFrom, Multiply(*back, CentredFrom(width, height))), to))
        return false;
    view = to.view();
    return true;
}

}  // namespace

double CoveredShare(const AlignModel& model, int width, int height)
{
    const EyeWarps warps = SplitCorrection(model, height / 2.0);
    double low = 0, high = 1;
    if (Covered(warps.first, width, height, high) && Covered(warps.second, width, height, high))
        return 1;
    for (int step = 0; step < 30; ++step) {
        const double share = (low + high) / 2;
        if (Covered(warps.first, width, height, share) && Covered(warps.second, width, height, share))
            low = share;
        else
            high = share;
    }
    return low;
}

EyePairPtr AlignedPair(const EyePair& pair, const AlignModel& model)
{
    const Picture& reference = pair.first ? pair.first : pair.second;
    int width = reference.width, height = reference.height;
    if (model.crop && reference) {
        const double share = CoveredShare(model, width, height);
        width = std::max(1, int(std::floor(width * share)));
        height = std::max(1, int(std::floor(height * share)));
    }
    const EyeWarps warps = SplitCorrection(model, reference.height / 2.0);
    auto eyes = std::make_shared<OwnedEyes>();
    auto aligned = std::make_shared<EyePair>();
    // The eyes at once, one on each of OpenCV's threads (the caller's among
    // them): a player's window waits for the slower eye rather than both.
    // OpenCV runs each warp's own parallel loop in that eye's thread.
    bool warped[2] = {false, false};
    cv::parallel_for_(cv::Range(0, 2), [&](const cv::Range& eyesRange) {
        for (int eye = eyesRange.start; eye < eyesRange.end; ++eye)
            warped[eye] = eye == 0 ? Warp(pair.first, warps.first, width, height, eyes->first, aligned->first)
                                   : Warp(pair.second, warps.second, width, height, eyes->second, aligned->second);
    }, 2);
    if (!warped[0] || !warped[1])
        return nullptr;
    aligned->frameNumber = pair.frameNumber;
    aligned->partnerNumber = pair.partnerNumber;
    aligned->timestampUs = pair.timestampUs;
    aligned->owner = std::move(eyes);
    return aligned;
}

}  // namespace plexo::align
