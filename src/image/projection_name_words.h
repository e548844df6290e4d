#pragma once
// The projection a file's name states in its words, as VR players read them:
// "trip_180_LR.mkv", "beach-360-TB.mp4", "canon_fisheye190_sbs.mp4".

#include <optional>
#include <string_view>

#include "image/projection.h"

namespace plexo {

// The name, less its folder and extension, is split at '.', '_', '-' and
// blanks, in any case. "180" and "180x180" mean half-equirectangular, "360"
// and "360x180" equirectangular; "fisheyeNNN", "fNNN", "mkxNNN" and
// "vrcaNNN" a fisheye of NNN degrees (180 to 220), "fisheye" alone 180°;
// "eac" a cubemap. The first such word wins. Empty when the name states no
// projection.
std::optional<Projection> ProjectionOfFileName(std::string_view path);

}  // namespace plexo
