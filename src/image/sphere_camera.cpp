#include "image/sphere_camera.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace plexo {

SphereCamera Turned(const SphereCamera& camera, double yaw, double pitch, double fov)
{
    SphereCamera turned;
    turned.yaw = std::remainder(camera.yaw + yaw, 360.0);
    turned.pitch = std::clamp(camera.pitch + pitch, -90.0, 90.0);
    turned.fov = std::clamp(camera.fov + fov, kMinSphereFov, kMaxSphereFov);
    return turned;
}

std::string SphereCameraText(const SphereCamera& camera)
{
    // Tenths of a degree, so that a text read back is the camera written.
    const auto tenths = [](double degrees) {
        char text[32];
        const auto [end, error] = std::to_chars(text, text + sizeof text, std::round(degrees * 10) / 10);
        return error == std::errc() ? std::string(text, end) : std::string("0");
    };
    return tenths(camera.yaw) + "," + tenths(camera.pitch) + "," + tenths(camera.fov);
}

std::optional<SphereCamera> ParseSphereCamera(std::string_view text)
{
    double values[3];
    for (int i = 0; i < 3; ++i) {
        const size_t comma = i < 2 ? text.find(',') : text.size();
        if (comma == std::string_view::npos)
            return std::nullopt;
        const std::string_view part = text.substr(0, comma);
        const auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), values[i]);
        if (part.empty() || error != std::errc() || end != part.data() + part.size() || !std::isfinite(values[i]))
            return std::nullopt;
        text.remove_prefix(std::min(text.size(), comma + 1));
    }
    const SphereCamera camera{values[0], values[1], values[2]};
    if (std::abs(camera.yaw) > 180 || std::abs(camera.pitch) > 90 || camera.fov < kMinSphereFov ||
        camera.fov > kMaxSphereFov)
        return std::nullopt;
    return camera;
}

}  // namespace plexo
