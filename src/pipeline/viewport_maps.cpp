#include "pipeline/viewport_maps.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include <opencv2/core/utility.hpp>
#include <opencv2/imgproc.hpp>

namespace plexo::pipeline {

namespace {

// A source position no pixel is near: the constant black border.
constexpr float kOutside = -16;

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
        // Rows apart on every core: a drag makes the maps again at each move.
        cv::parallel_for_(cv::Range(0, viewHeight), [&](const cv::Range& rows) {
            for (int row = rows.start; row < rows.end; ++row) {
                // The view is written bottom row first.
                const int fromTop = viewHeight - 1 - row;
                const double y = down * ((2.0 * fromTop + 1) / viewHeight - 1);
                auto* out = positions.ptr<cv::Vec2f>(row);
                for (int column = 0; column < viewWidth; ++column) {
                    const double x = across * ((2.0 * column + 1) / viewWidth - 1);
                    const double length = std::sqrt(x * x + y * y + 1);
                    const Place place = PlaceOf(projection, turn({x / length, y / length, 1 / length}), eyeWidth,
                                                eyeHeight);
                    if (!place.inside) {
                        out[column] = {kOutside, kOutside};
                        continue;
                    }
                    // Pixel centres lie half a pixel in; the eye's edge repeats.
                    const double u = std::clamp(place.u - 0.5, 0.0, eyeWidth - 1.0);
                    const double v = std::clamp(place.v - 0.5, 0.0, eyeHeight - 1.0);
                    out[column] = {float(u), float(topDown ? v : eyeHeight - 1 - v)};
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
