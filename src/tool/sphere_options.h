#pragma once
// The options of info, compose, frame and export that look into a spherical
// film: --projection auto|flat|equirect|half-equirect|fisheye:DEG (auto, the
// default, lets the file's metadata and then its name say), and the virtual
// camera, --yaw DEG, --pitch DEG and --fov DEG; the view's size is the
// command's --view.

#include <optional>
#include <string>

#include "film/film.h"
#include "image/projection.h"
#include "image/sphere_camera.h"
#include "pipeline/pipeline_choice.h"
#include "tool/command.h"

namespace plexo::tool {

inline constexpr const char* kProjectionOption = "projection";
inline constexpr const char* kYawOption = "yaw";
inline constexpr const char* kPitchOption = "pitch";
inline constexpr const char* kFovOption = "fov";
extern const char* const kSphereUsage;

// The size of the view a spherical film's eyes are made at without --view.
inline constexpr int kDefaultSphereWidth = 1280;
inline constexpr int kDefaultSphereHeight = 720;

struct SphereOptions {
    ProjectionChoice projection;
    SphereCamera camera;
};

// Reads --projection and, unless `cameraToo` is false, the camera's
// options; a usage error for a word or a number out of their range.
bool ReadSphereOptions(Args& args, SphereOptions& out, bool cameraToo = true);

// The projection of the film `path` opened, as the options decide it; a
// projection named but not shown is reported on stderr.
SourceProjection ToolProjection(const SphereOptions& options, const Film& film, const std::string& path);

// The viewport of that film seen in a view of `width` x `height` pixels;
// none for a flat film.
pipeline::SphereChoice ToolSphere(const SphereOptions& options, const Film& film, const std::string& path, int width,
                                  int height);

}  // namespace plexo::tool
