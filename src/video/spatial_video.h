#pragma once
// Apple's spatial videos: QuickTime files whose HEVC track holds both eyes as
// two layers (MV-HEVC), its sample entry carrying the video extended usage
// box (`vexu`: the eyes present, the hero eye, the cameras' baseline, the
// disparity adjustment, the projection) and the field of view (`hfov`).
// FFmpeg 5.1 decodes the base layer, the left eye, alone: such a film opens
// as that single view, saying why the right eye is missing.

#include <optional>
#include <string>

#include "image/spatial_facts.h"

namespace plexo::video {

inline constexpr const char* kSecondLayerLine =
    "its right eye is a second HEVC layer, which FFmpeg 5.1 cannot decode; FFmpeg 7.1 and newer can";

// The facts of the first HEVC track whose sample entry has a `vexu` box or a
// second layer's configuration (`lhvC`), `missingEye` set to the line above;
// nothing for any other file, or one whose boxes do not read. The file is
// opened as the other readers open theirs, and its movie box is read only
// up to a bound.
std::optional<SpatialFacts> SpatialVideoFacts(const std::string& path);
// The same of the movie box's bytes.
std::optional<SpatialFacts> SpatialVideoFactsOfMovie(const uint8_t* moov, size_t length);

}  // namespace plexo::video
