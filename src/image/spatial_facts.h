#pragma once
// What a phone's stereo picture or video says of the cameras that took it
// (Apple's spatial metadata): the baseline, the horizontal field of view and
// the disparity adjustment, a signed shift of the eyes from -10000 to 10000
// that maps onto -1 to 1 of one eye's width. Plexo's D moves the first eye by
// trunc(D/2) - D and the second by +D; a positive adjustment moves the eyes
// apart in the same sense (the scene further behind the window, as a pair
// from parallel cameras needs), so D = adjustment / 10000 x the eye's width.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace plexo {

inline constexpr int32_t kMaxDisparityAdjustment = 10000;

struct SpatialFacts {
    std::optional<double> baselineMm;
    std::optional<double> fieldOfViewDegrees;
    std::optional<int32_t> disparityAdjustment;
    // A spatial video's own: which eyes the file holds ("left and right"),
    // the hero eye ("left", "right", "none") and the projection ("rectilinear").
    std::string eyes;
    std::string heroEye;
    std::string projection;
    // Why an eye the file holds is not shown; empty when both are.
    std::string missingEye;

    bool empty() const
    {
        return !baselineMm && !fieldOfViewDegrees && !disparityAdjustment && eyes.empty() && heroEye.empty() &&
               projection.empty() && missingEye.empty();
    }
};

// plexo-tool info's lines: "baseline: 19.2 mm", "field of view: 63.4 degrees",
// "disparity adjustment: 200 (2% of the eye's width)", "spatial eyes: ...",
// "hero eye: left", "projection: rectilinear", "note: ..."; only what is stated.
std::vector<std::string> SpatialLines(const SpatialFacts& facts);

// D in pixels of an eye `eyeWidth` wide, rounded to the nearest; the
// adjustment held to its range first.
int32_t DistOfAdjustment(int32_t adjustment, int eyeWidth);
// The adjustment that D makes on an eye `eyeWidth` wide, held to its range;
// 0 for an eye of no width.
int32_t AdjustmentOfDist(int32_t dist, int eyeWidth);

// The facts Apple's XMP namespaces (any URI under http://ns.apple.com/) state
// in an XMP packet, as attributes or elements: the baseline
// ("StereoCameraBaseline" or "Baseline", millimetres), the field of view
// ("HorizontalFieldOfView" or "HorizontalFOV", degrees) and the disparity
// adjustment ("HorizontalDisparityAdjustment" or "DisparityAdjustment").
SpatialFacts SpatialFactsOfXmp(const std::string& xmp);
// An XMP packet stating the disparity adjustment (and the baseline and field
// of view where known) in Apple's spatial namespace, as the reader above
// reads it.
std::string SpatialXmp(const SpatialFacts& facts);

// Fills what `into` lacks from `from`.
void MergeSpatialFacts(SpatialFacts& into, const SpatialFacts& from);

}  // namespace plexo
