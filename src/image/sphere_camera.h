#pragma once
// The virtual camera that looks into a spherical film: where it turns (yaw
// to the right, pitch up, in degrees; it never rolls) and how wide it sees.
// A film keeps its own as the "view" field of its record.

#include <optional>
#include <string>
#include <string_view>

namespace plexo {

inline constexpr double kMinSphereFov = 30;
inline constexpr double kMaxSphereFov = 120;
inline constexpr double kDefaultSphereFov = 90;

struct SphereCamera {
    double yaw = 0;
    double pitch = 0;
    // Degrees across the view.
    double fov = kDefaultSphereFov;

    bool operator==(const SphereCamera&) const = default;
};

// The camera turned by `yaw` and `pitch` degrees and its field of view
// widened by `fov`: yaw wraps into -180..180, pitch stops straight up and
// down, the field of view at its range.
SphereCamera Turned(const SphereCamera& camera, double yaw, double pitch, double fov = 0);

// The record's text, "yaw,pitch,fov" ("-30.5,10,90"), read whatever the
// locale; a text of any other form, or out of range, is empty.
std::string SphereCameraText(const SphereCamera& camera);
std::optional<SphereCamera> ParseSphereCamera(std::string_view text);

}  // namespace plexo
