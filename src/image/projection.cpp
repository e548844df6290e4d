#include "image/projection.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "image/projection_name_words.h"

namespace plexo {

namespace {

const char* OriginWord(ProjectionOrigin origin)
{
    switch (origin) {
    case ProjectionOrigin::User:
        return "user";
    case ProjectionOrigin::Metadata:
        return "metadata";
    case ProjectionOrigin::Name:
        return "name";
    case ProjectionOrigin::None:
        break;
    }
    return "none";
}

// Degrees as info prints them: whole where they are, else to a tenth.
std::string Degrees(double degrees)
{
    const double tenths = std::round(degrees * 10) / 10;
    char text[32];
    const bool whole = tenths == std::round(tenths);
    std::snprintf(text, sizeof text, whole ? "%.0f" : "%.1f", tenths == 0 ? 0.0 : tenths);
    return text;
}

}  // namespace

Projection ProjectionOfKind(ProjectionKind kind, double degrees)
{
    Projection projection;
    projection.kind = kind;
    if (kind == ProjectionKind::HalfEquirect) {
        projection.left = -90;
        projection.right = 90;
    }
    if (kind == ProjectionKind::Fisheye)
        projection.fisheyeDegrees = std::clamp(degrees, kMinFisheyeDegrees, kMaxFisheyeDegrees);
    return projection;
}

std::optional<Projection> CroppedProjection(double left, double top, double right, double bottom)
{
    for (double cut : {left, top, right, bottom})
        if (!(cut >= 0 && cut < 1))
            return std::nullopt;
    if (left + right >= 1 || top + bottom >= 1)
        return std::nullopt;
    if (left == 0 && top == 0 && right == 0 && bottom == 0)
        return ProjectionOfKind(ProjectionKind::Equirect);
    Projection projection;
    projection.kind = ProjectionKind::CroppedEquirect;
    projection.left = -180 + 360 * left;
    projection.right = 180 - 360 * right;
    projection.top = 90 - 180 * top;
    projection.bottom = -90 + 180 * bottom;
    return projection;
}

std::optional<Projection> ProjectionNamed(std::string_view word)
{
    if (word == "flat")
        return Projection{};
    if (word == "equirect")
        return ProjectionOfKind(ProjectionKind::Equirect);
    if (word == "half-equirect")
        return ProjectionOfKind(ProjectionKind::HalfEquirect);
    constexpr std::string_view fisheye = "fisheye:";
    if (word.substr(0, fisheye.size()) != fisheye)
        return std::nullopt;
    const std::string_view digits = word.substr(fisheye.size());
    int degrees = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), degrees);
    if (error != std::errc() || end != digits.data() + digits.size() || digits.empty() ||
        degrees < kMinFisheyeDegrees || degrees > kMaxFisheyeDegrees)
        return std::nullopt;
    return ProjectionOfKind(ProjectionKind::Fisheye, degrees);
}

std::string ProjectionWord(const Projection& projection)
{
    switch (projection.kind) {
    case ProjectionKind::Equirect:
        return "equirect";
    case ProjectionKind::HalfEquirect:
        return "half-equirect";
    case ProjectionKind::Fisheye:
        return "fisheye:" + Degrees(std::round(projection.fisheyeDegrees));
    default:
        return "flat";
    }
}

SourceProjection DecideProjection(const ProjectionChoice& choice, const SourceProjection& stated,
                                  std::string_view path)
{
    if (choice)
        return {*choice, ProjectionOrigin::User};
    if (stated.origin != ProjectionOrigin::None)
        return stated;
    if (const auto named = ProjectionOfFileName(path))
        return {*named, ProjectionOrigin::Name};
    return {};
}

std::string ProjectionText(const SourceProjection& source)
{
    const Projection& p = source.projection;
    std::string text;
    switch (p.kind) {
    case ProjectionKind::Flat:
        text = "flat";
        break;
    case ProjectionKind::Equirect:
        text = "equirectangular";
        break;
    case ProjectionKind::HalfEquirect:
        text = "half-equirectangular";
        break;
    case ProjectionKind::CroppedEquirect:
        text = "equirectangular " + Degrees(p.left) + ".." + Degrees(p.right) + " x " + Degrees(p.top) + ".." +
               Degrees(p.bottom);
        break;
    case ProjectionKind::Fisheye:
        text = "fisheye " + Degrees(p.fisheyeDegrees);
        break;
    case ProjectionKind::Cubemap:
        text = "cubemap, shown flat";
        break;
    case ProjectionKind::Mesh:
        text = "mesh, shown flat";
        break;
    }
    if (p.spherical() && (p.yaw != 0 || p.pitch != 0 || p.roll != 0))
        text += ", turned " + Degrees(p.yaw) + " " + Degrees(p.pitch) + " " + Degrees(p.roll);
    return text + " (" + OriginWord(source.origin) + ")";
}

std::string UnshownProjection(const Projection& projection)
{
    if (projection.kind == ProjectionKind::Cubemap)
        return "its cubemap projection cannot be looked into: it shows flat";
    if (projection.kind == ProjectionKind::Mesh)
        return "its mesh projection cannot be looked into: it shows flat";
    return {};
}

}  // namespace plexo
