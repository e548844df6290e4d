#include "pipeline/viewport_maps.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include <opencv2/core/utility.hpp>
#include <opencv2/imgproc.hpp>

namespace plexo::pipeline {

namespace {

// A source position no pixel is near: the constant black border.
constexpr float kOutside = -16;
// The side, in view pixels, of the cells whose corners are worked out
// exactly, and how far, in source pixels, a cell's middle may lie from
// where interpolating its corners puts it.
constexpr int kCell = 8;
constexpr double kMostInterpolationError = 1.0 / 32;

struct Vector {
    double x, y, z;  // right, down, forward
};

double Radians(double degrees) { return degrees * std::numbers::pi / 180; }

// Turns a direction seen by the camera into the picture's directions: roll
// about the axis, then pitch up, then yaw right, as FFmpeg's v360 turns by
// its yaw, pitch and roll.
class Turn {
public:
    Turn(double yaw, double pitch, double roll)
        : cy_(std::cos(Radians(yaw))), sy_(std::sin(Radians(yaw))), cp_(std::cos(Radians(pitch))),
          sp_(std::sin(Radians(pitch))), cr_(std::cos(Radians(roll))), sr_(std::sin(Radians(roll)))
    {
    }
    Vector operator()(Vector v) const
    {
        v = {v.x * cr_ - v.y * sr_, v.x * sr_ + v.y * cr_, v.z};
        v = {v.x, v.y * cp_ - v.z * sp_, v.y * sp_ + v.z * cp_};
        return {v.x * cy_ + v.z * sy_, v.y, -v.x * sy_ + v.z * cy_};
    }

private:
    double cy_, sy_, cp_, sp_, cr_, sr_;
};

// Where, in pixels of an eye of `width` x `height` with its top row first,
// the direction lies; empty outside what the eye holds.
struct Place {
    double u, v;
    bool inside;
};

Place PlaceOf(const Projection& p, const Vector& d, int width, int height)
{
    if (p.kind == ProjectionKind::Fisheye) {
        const double across = std::hypot(d.x, d.y);
        const double angle = std::atan2(across, d.z);
        const double half = Radians(p.fisheyeDegrees) / 2;
        if (angle > half)
            return {0, 0, false};
        // From the middle to the circle's edge, half the eye.
        const double r = across > 0 ? angle / (2 * half) / across : 0;
        return {(0.5 + d.x * r) * width, (0.5 + d.y * r) * height, true};
    }
    const double lon = std::atan2(d.x, d.z) * 180 / std::numbers::pi;
    const double lat = -std::asin(std::clamp(d.y, -1.0, 1.0)) * 180 / std::numbers::pi;
    if (lon < p.left || lon > p.right || lat > p.top || lat < p.bottom)
        return {0, 0, false};
    return {(lon - p.left) / (p.right - p.left) * width, (p.top - lat) / (p.top - p.bottom) * height, true};
}

}  // namespace

struct ViewportMaps::Maps {
    cv::Mat xy;        // CV_16SC2: whole source pixels
    cv::Mat fraction;  // CV_16UC1: the interpolation table's index
};

ViewportMaps::~ViewportMaps() = default;

std::shared_ptr<const ViewportMaps> ViewportMaps::Make(const Projection& projection, const SphereCamera& camera,
                                                       int eyeWidth, int eyeHeight, bool topDown, int viewWidth,
                                                       int viewHeight)
{
    // Fixed-point positions hold 15 bits and a sign.
    constexpr int kMaxEyeSide = 32767;
    if (!projection.spherical() || eyeWidth < 1 || eyeHeight < 1 || eyeWidth > kMaxEyeSide ||
        eyeHeight > kMaxEyeSide || viewWidth < 1 || viewHeight < 1 || viewWidth > kMaxPictureSide ||
        viewHeight > kMaxPictureSide)
        return nullptr;
    std::shared_ptr<ViewportMaps> made(new ViewportMaps);
    made->eyeWidth_ = eyeWidth;
    made->eyeHeight_ = eyeHeight;
    made->topDown_ = topDown;
    made->viewWidth_ = viewWidth;
    made->viewHeight_ = viewHeight;
    try {
        cv::Mat positions(viewHeight, viewWidth, CV_32FC2);
        const Turn turn(camera.yaw + projection.yaw, camera.pitch + projection.pitch, projection.roll);
        const double across = std::tan(Radians(std::clamp(camera.fov, kMinSphereFov, kMaxSphereFov)) / 2);
        const double down = across * viewHeight / viewWidth;
        // Where the view's pixel `column` of row `fromTop` (counted from the
        // top; either may lie past the view's edge) comes from.
        const auto exact = [&](int column, int fromTop) {
            const double x = across * ((2.0 * column + 1) / viewWidth - 1);
            const double y = down * ((2.0 * fromTop + 1) / viewHeight - 1);
            const double length = std::sqrt(x * x + y * y + 1);
            return PlaceOf(projection, turn({x / length, y / length, 1 / length}), eyeWidth, eyeHeight);
        };
        const auto put = [&](int column, int fromTop, const Place& place) {
            // The view is written bottom row first.
            cv::Vec2f& out = positions.ptr<cv::Vec2f>(viewHeight - 1 - fromTop)[column];
            if (!place.inside) {
                out = {kOutside, kOutside};
                return;
            }
            // Pixel centres lie half a pixel in; the eye's edge repeats.
            const double u = std::clamp(place.u - 0.5, 0.0, eyeWidth - 1.0);
            const double v = std::clamp(place.v - 0.5, 0.0, eyeHeight - 1.0);
            out = {float(u), float(topDown ? v : eyeHeight - 1 - v)};
        };
        // The trigonometry of every pixel takes too long for a drag, which
        // makes the maps again at each move: it is done at the corners of
        // cells, and the positions inside a cell are interpolated from
        // them where the cell lies wholly inside the eye, holds no seam and
        // its middle lies where the interpolation puts it. Other cells (at
        // the eye's edge, across a 360° picture's seam, near a pole) are
        // worked out pixel by pixel.
        const int cellsAcross = (viewWidth + kCell - 1) / kCell;
        const int cellsDown = (viewHeight + kCell - 1) / kCell;
        std::vector<Place> corners(size_t(cellsAcross + 1) * size_t(cellsDown + 1));
        const auto corner = [&](int i, int j) -> Place& {
            return corners[size_t(j) * size_t(cellsAcross + 1) + size_t(i)];
        };
        cv::parallel_for_(cv::Range(0, cellsDown + 1), [&](const cv::Range& rows) {
            for (int j = rows.start; j < rows.end; ++j)
                for (int i = 0; i <= cellsAcross; ++i)
                    corner(i, j) = exact(i * kCell, j * kCell);
        });
        cv::parallel_for_(cv::Range(0, cellsDown), [&](const cv::Range& rows) {
            for (int j = rows.start; j < rows.end; ++j) {
                const int top = j * kCell, bottom = std::min(top + kCell, viewHeight);
                for (int i = 0; i < cellsAcross; ++i) {
                    const int left = i * kCell, right = std::min(left + kCell, viewWidth);
                    const Place& a = corner(i, j);
                    const Place& b = corner(i + 1, j);
                    const Place& c = corner(i, j + 1);
                    const Place& d = corner(i + 1, j + 1);
                    bool smooth = a.inside && b.inside && c.inside && d.inside &&
                                  std::max({a.u, b.u, c.u, d.u}) - std::min({a.u, b.u, c.u, d.u}) < eyeWidth / 4.0 &&
                                  std::max({a.v, b.v, c.v, d.v}) - std::min({a.v, b.v, c.v, d.v}) < eyeHeight / 4.0;
                    if (smooth) {
                        const Place middle = exact(left + kCell / 2, top + kCell / 2);
                        smooth = middle.inside &&
                                 std::abs((a.u + b.u + c.u + d.u) / 4 - middle.u) < kMostInterpolationError &&
                                 std::abs((a.v + b.v + c.v + d.v) / 4 - middle.v) < kMostInterpolationError;
                    }
                    for (int fromTop = top; fromTop < bottom; ++fromTop) {
                        const double down = double(fromTop - top) / kCell;
                        for (int column = left; column < right; ++column) {
                            if (!smooth) {
                                put(column, fromTop, exact(column, fromTop));
                                continue;
                            }
                            const double along = double(column - left) / kCell;
                            const double u =
                                (a.u + (b.u - a.u) * along) * (1 - down) + (c.u + (d.u - c.u) * along) * down;
                            const double v =
                                (a.v + (b.v - a.v) * along) * (1 - down) + (c.v + (d.v - c.v) * along) * down;
                            put(column, fromTop, {u, v, true});
                        }
                    }
                }
            }
        });
        auto maps = std::make_unique<Maps>();
        cv::convertMaps(positions, cv::noArray(), maps->xy, maps->fraction, CV_16SC2);
        made->maps_ = std::move(maps);
    } catch (const cv::Exception&) {
        return nullptr;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    return made;
}

bool ViewportMaps::Reads(const Picture& eye) const
{
    return eye && eye.width == eyeWidth_ && eye.height == eyeHeight_ && (eye.rowStride < 0) == topDown_;
}

bool ViewportMaps::Resample(const Picture& eye, PictureBuffer& out) const
{
    if (!Reads(eye) || (eye.bytesPerPixel != 1 && eye.bytesPerPixel != 3))
        return false;
    if (!out || out.width != viewWidth_ || out.height != viewHeight_ || out.bytesPerPixel != eye.bytesPerPixel)
        out = PictureBuffer::allocate(viewWidth_, viewHeight_, eye.bytesPerPixel);
    if (!out)
        return false;
    const int type = eye.bytesPerPixel == 3 ? CV_8UC3 : CV_8UC1;
    // OpenCV's rows go forward in memory: a top-down eye is read from its
    // top row, which its maps expect.
    const uint8_t* first = topDown_ ? eye.row(eye.height - 1) : eye.data;
    const size_t step = size_t(topDown_ ? -eye.rowStride : eye.rowStride);
    try {
        const cv::Mat source(eye.height, eye.width, type, const_cast<uint8_t*>(first), step);
        cv::Mat view(viewHeight_, viewWidth_, type, out.bytes.get(), out.rowBytes());
        cv::remap(source, view, maps_->xy, maps_->fraction, cv::INTER_LINEAR, cv::BORDER_CONSTANT, cv::Scalar());
    } catch (const cv::Exception&) {
        return false;
    }
    return true;
}

}  // namespace plexo::pipeline
