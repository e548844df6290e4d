#include "align/feature_matches.h"

#include <algorithm>
#include <cmath>

#include <opencv2/features2d.hpp>
#include <opencv2/imgproc.hpp>

namespace plexo::align {

namespace {

struct Reduced {
    cv::Mat grey;  // top row first
    double scaleX = 1, scaleY = 1;
    int width = 0, height = 0;
};

// The picture's rows as OpenCV sees them, first in memory first, and whether
// that is the bottom row.
cv::Mat Wrap(const Picture& picture, bool& bottomUp)
{
    bottomUp = picture.rowStride > 0;
    const uint8_t* first = bottomUp ? picture.data : picture.row(picture.height - 1);
    const int type = picture.bytesPerPixel == 1 ? CV_8UC1 : CV_8UC3;
    return cv::Mat(picture.height, picture.width, type, const_cast<uint8_t*>(first),
                   size_t(std::abs(picture.rowStride)));
}

Reduced Reduce(const Picture& picture, int workSide)
{
    Reduced reduced;
    reduced.width = picture.width;
    reduced.height = picture.height;
    bool bottomUp = false;
    cv::Mat small = Wrap(picture, bottomUp);
    // Halved while it stays at least workSide long: OpenCV averages 2×2
    // blocks with SIMD, several times faster than any other whole factor,
    // and the colour is dropped after the first halving, on a quarter of
    // the pixels.
    const auto halve = [&small] {
        cv::Mat half;
        cv::resize(small, half, cv::Size(small.cols / 2, small.rows / 2), 0, 0, cv::INTER_AREA);
        small = half;
    };
    const auto halvable = [&small, workSide] {
        return std::max(small.cols, small.rows) / 2 >= std::max(1, workSide) && std::min(small.cols, small.rows) >= 2;
    };
    if (small.channels() == 3 && halvable())
        halve();
    if (small.channels() == 3) {
        cv::Mat grey;
        cv::cvtColor(small, grey, cv::COLOR_BGR2GRAY);
        small = grey;
    }
    while (halvable())
        halve();
    // Flipped into its own memory: a grey picture not reduced at all is
    // still the caller's.
    if (bottomUp)
        cv::flip(small, reduced.grey, 0);
    else
        reduced.grey = small;
    reduced.scaleX = double(picture.width) / reduced.grey.cols;
    reduced.scaleY = double(picture.height) / reduced.grey.rows;
    return reduced;
}

cv::Ptr<cv::Feature2D> Make(const MatchOptions& options)
{
    switch (options.detector) {
    case Detector::Akaze:
        return cv::AKAZE::create();
    case Detector::Sift:
        return cv::SIFT::create(options.maxFeatures);
    case Detector::Orb:
        break;
    }
    return cv::ORB::create(options.maxFeatures, 1.2f, options.levels, 31, 0, 2, cv::ORB::HARRIS_SCORE, 31,
                           options.cornerContrast);
}

// The keypoint in full-size centred coordinates: a reduced pixel's centre
// lies at the middle of the full-size pixels it covers.
cv::Point2d Centred(const cv::Point2f& at, const Reduced& reduced)
{
    return {(at.x + 0.5) * reduced.scaleX - 0.5 - (reduced.width - 1) / 2.0,
            (at.y + 0.5) * reduced.scaleY - 0.5 - (reduced.height - 1) / 2.0};
}

}  // namespace

Matches MatchFeatures(const Picture& first, const Picture& second, const MatchOptions& options)
{
    Matches matches;
    if (!first || !second || first.bytesPerPixel != second.bytesPerPixel)
        return matches;
    const Reduced eyes[2] = {Reduce(first, options.workSide), Reduce(second, options.workSide)};
    matches.reduction = std::max(eyes[0].scaleX, eyes[0].scaleY);
    const cv::Ptr<cv::Feature2D> detector = Make(options);
    std::vector<cv::KeyPoint> points[2];
    cv::Mat descriptors[2];
    for (int eye = 0; eye < 2; ++eye)
        detector->detectAndCompute(eyes[eye].grey, cv::noArray(), points[eye], descriptors[eye]);
    if (descriptors[0].rows < 2 || descriptors[1].rows < 2)
        return matches;
    const int norm = options.detector == Detector::Sift ? cv::NORM_L2 : cv::NORM_HAMMING;
    cv::BFMatcher matcher(norm);
    std::vector<std::vector<cv::DMatch>> pairs;
    matcher.knnMatch(descriptors[0], descriptors[1], pairs, 2);
    for (const auto& best : pairs) {
        if (best.size() < 2 || best[0].distance >= options.ratio * best[1].distance)
            continue;
        const cv::Point2d a = Centred(points[0][size_t(best[0].queryIdx)].pt, eyes[0]);
        const cv::Point2d b = Centred(points[1][size_t(best[0].trainIdx)].pt, eyes[1]);
        matches.points.push_back({a.x, a.y, b.x, b.y});
    }
    return matches;
}

}  // namespace plexo::align
