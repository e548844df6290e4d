#pragma once
// How a pair's second eye differs from its first in what the eyes should not
// differ by (height, roll, size and a small pitch or yaw), the correction that
// undoes it, split between the eyes, and the record field that keeps it.
//
// Coordinates are the picture's as it is seen: x to the right, y down, origin
// at the picture's centre, in pixels.

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace plexo::align {

// A 3×3 projective transform of the plane, row by row.
using Homography = std::array<double, 9>;

struct AlignModel {
    // Pixels the second eye's scene lies below the first's, at the centre.
    double vertical = 0;
    // Degrees the second eye is turned clockwise against the first.
    double roll = 0;
    // The second eye's size over the first's.
    double scale = 1;
    // The keystone of a small yaw (x) and pitch (y): the projective terms of
    // the second eye's correction, per half picture height.
    double keystoneX = 0;
    double keystoneY = 0;
    // The median vertical disparity left when the model was fitted, in
    // pixels; negative when unknown.
    double residual = -1;
    // Whether the aligned pair is cut to what both corrected eyes cover.
    bool crop = false;

    bool operator==(const AlignModel&) const = default;
};

// The correction of the second eye: it maps the second eye's points to where
// the first eye has them, height for height. It moves nothing sideways but by
// its roll, scale and keystone. `halfHeight` turns the keystone into pixels.
Homography SecondCorrection(const AlignModel& model, double halfHeight);

// The two eyes' transforms, half of the correction each: the first eye takes
// a transform that keeps rows rows (half the height, size and pitch, and half
// the roll as a shear), so the pair stays aligned whatever its horizontal
// disparity, and the second eye takes that transform after the correction.
struct EyeWarps {
    Homography first;
    Homography second;
};
EyeWarps SplitCorrection(const AlignModel& model, double halfHeight);

Homography Multiply(const Homography& a, const Homography& b);
// Nullopt for a transform with no inverse.
std::optional<Homography> Inverse(const Homography& h);
// The point moved by `h`; nullopt when it goes to infinity.
std::optional<std::array<double, 2>> Apply(const Homography& h, double x, double y);

// The record field's text, "1.25,0.8,1.013,0.0002,-0.0001,0.21" (vertical,
// roll, scale, keystone x and y, residual) with ",crop" when cropped; read
// back by ParseAlignModel, which refuses anything else and values no rig
// would give.
std::string AlignModelText(const AlignModel& model);
std::optional<AlignModel> ParseAlignModel(std::string_view text);

// "aligned: vertical 1.2 px, roll 0.8°, scale 1.3 %, residual 0.2 px"; the
// residual part only when it is known.
std::string AlignedLine(const AlignModel& model);

}  // namespace plexo::align
