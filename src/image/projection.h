#pragma once
// How each eye of a picture maps the directions around the camera that took
// it: flat (an ordinary picture), or one of the spherical projections of
// VR180 and 360° cameras, which a virtual camera looks into. Where that
// knowledge came from, and the words that name a projection.

#include <optional>
#include <string>
#include <string_view>

namespace plexo {

enum class ProjectionKind {
    Flat,
    // Longitude across, latitude down, over the window below: the whole
    // sphere (360° x 180°, each eye 2:1), its front half (180° x 180°, each
    // eye 1:1), or the part a cropped panorama keeps.
    Equirect,
    HalfEquirect,
    CroppedEquirect,
    // Equidistant fisheye: the angle from the axis grows evenly out to the
    // circle that fills the eye, `fisheyeDegrees` across.
    Fisheye,
    // Named by a file but not shown: the film shows flat.
    Cubemap,
    Mesh,
};

inline constexpr double kMinFisheyeDegrees = 180;
inline constexpr double kMaxFisheyeDegrees = 220;

struct Projection {
    ProjectionKind kind = ProjectionKind::Flat;
    double fisheyeDegrees = 180;
    // The part of the sphere an equirectangular eye covers, in degrees:
    // longitude from `left` to `right`, latitude from `top` down to `bottom`.
    double left = -180;
    double right = 180;
    double top = 90;
    double bottom = -90;
    // How the picture is turned against the viewer's front, in degrees.
    double yaw = 0;
    double pitch = 0;
    double roll = 0;

    bool operator==(const Projection&) const = default;
    // A projection the virtual camera looks into.
    bool spherical() const
    {
        return kind == ProjectionKind::Equirect || kind == ProjectionKind::HalfEquirect ||
               kind == ProjectionKind::CroppedEquirect || kind == ProjectionKind::Fisheye;
    }
};

// A projection of the kind with its natural window: the whole sphere, its
// front half, or a fisheye of `degrees` (clamped to the fisheye range).
Projection ProjectionOfKind(ProjectionKind kind, double degrees = 180);
// The equirectangular picture of which `left`, `top`, `right` and `bottom`
// (fractions of the whole panorama's width and height) are cut away; empty
// when they leave nothing.
std::optional<Projection> CroppedProjection(double left, double top, double right, double bottom);

// Who said what the projection is, as for layouts.
enum class ProjectionOrigin { User, Metadata, Name, None };

struct SourceProjection {
    Projection projection;
    ProjectionOrigin origin = ProjectionOrigin::None;

    bool operator==(const SourceProjection&) const = default;
};

// The user's choice for one film; empty for "Automatic", which lets the
// file say.
using ProjectionChoice = std::optional<Projection>;

// The words of --projection and of a film's record: flat, equirect,
// half-equirect, fisheye:DEG (180 to 220). Empty for any other word,
// "auto" among them.
std::optional<Projection> ProjectionNamed(std::string_view word);
// The word of a projection that has one; "flat" for the others.
std::string ProjectionWord(const Projection& projection);

// In order: the user's choice, the file's metadata (`stated`, whose origin
// says whether it stated any), the file name's words; flat from nobody
// without any of them.
SourceProjection DecideProjection(const ProjectionChoice& choice, const SourceProjection& stated,
                                  std::string_view path);

// plexo-tool info's text: "fisheye 190 (name)", "equirectangular
// -180..180 x 90..-45 (metadata)", "cubemap, shown flat (name)".
std::string ProjectionText(const SourceProjection& source);

// Why a projection named for a film is not shown, for a message; empty for
// one that is shown.
std::string UnshownProjection(const Projection& projection);

}  // namespace plexo
