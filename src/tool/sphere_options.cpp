#include "tool/sphere_options.h"

#include <charconv>
#include <cstdio>

namespace plexo::tool {

const char* const kSphereUsage =
    "    a spherical film (VR180, 360°) is looked into: --projection auto (the file's metadata, then its\n"
    "    name: 180, 360, fisheye190, LR, TB...), flat, equirect, half-equirect or fisheye:DEG (180 to 220);\n"
    "    --yaw DEG (to the right), --pitch DEG (up), --fov DEG (30 to 120 across, default 90) turn the\n"
    "    camera; each eye becomes a rectilinear picture of --view WxH (default 1280x720)";

namespace {

// A decimal option from `low` to `high`; a usage error otherwise.
std::optional<double> Degrees(Args& args, const char* name, double low, double high)
{
    const std::optional<std::string> text = args.value(name);
    if (!text)
        return std::nullopt;
    double value = 0;
    const char* end = text->data() + text->size();
    const auto [stop, error] = std::from_chars(text->data(), end, value);
    if (text->empty() || error != std::errc() || stop != end || !(value >= low && value <= high)) {
        args.fail(std::string("--") + name + " takes degrees from " + std::to_string(int(low)) + " to " +
                  std::to_string(int(high)) + ", not '" + *text + "'");
        return std::nullopt;
    }
    return value;
}

}  // namespace

bool ReadSphereOptions(Args& args, SphereOptions& out, bool cameraToo)
{
    if (const auto word = args.value(kProjectionOption); word && *word != "auto") {
        out.projection = ProjectionNamed(*word);
        if (!out.projection) {
            args.fail(std::string("--") + kProjectionOption +
                      " takes auto, flat, equirect, half-equirect or fisheye:DEG (180 to 220), not '" + *word + "'");
            return false;
        }
    }
    if (!cameraToo)
        return true;
    const auto yaw = Degrees(args, kYawOption, -180, 180);
    const auto pitch = Degrees(args, kPitchOption, -90, 90);
    const auto fov = Degrees(args, kFovOption, kMinSphereFov, kMaxSphereFov);
    if (!args.ok())
        return false;
    out.camera = {yaw.value_or(0), pitch.value_or(0), fov.value_or(kDefaultSphereFov)};
    return true;
}

SourceProjection ToolProjection(const SphereOptions& options, const Film& film, const std::string& path)
{
    const SourceProjection decided = DecideProjection(options.projection, film.Facts().projection, path);
    if (const std::string why = UnshownProjection(decided.projection); !why.empty())
        std::fprintf(stderr, "plexo-tool: %s: %s\n", path.c_str(), why.c_str());
    return decided;
}

pipeline::SphereChoice ToolSphere(const SphereOptions& options, const Film& film, const std::string& path, int width,
                                  int height)
{
    pipeline::SphereChoice sphere;
    sphere.projection = ToolProjection(options, film, path).projection;
    sphere.camera = options.camera;
    sphere.width = width;
    sphere.height = height;
    return sphere;
}

}  // namespace plexo::tool
