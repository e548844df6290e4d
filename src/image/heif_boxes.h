#pragma once
// The boxes of a HEIF file that libheif 1.15 does not read or write: the
// entity groups (`grpl`) with the stereo pair (`ster`: its first entity the
// left eye, its second the right), and the cameras' properties from which the
// spatial facts come: the intrinsic matrix (`cmin`, whose focal length gives
// the field of view) and the extrinsics (`cmex`, whose positions give the
// baseline).

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "image/spatial_facts.h"

namespace plexo {

struct HeifStereoPair {
    uint32_t left = 0;
    uint32_t right = 0;
};

struct HeifCamera {
    // The horizontal field of view from `cmin`.
    std::optional<double> fieldOfViewDegrees;
    // The position along the x axis from `cmex`, in micrometres.
    std::optional<int32_t> positionX;
};

struct HeifBoxFacts {
    // The first `ster` group of two entities or more.
    std::optional<HeifStereoPair> stereo;
    // Every item id the location box lists.
    std::vector<uint32_t> items;
    std::map<uint32_t, HeifCamera> cameras;
};

// What the file's top-level `meta` box says; empty facts for bytes without
// one or boxes that do not parse, whatever is found before that kept.
HeifBoxFacts ReadHeifBoxes(const uint8_t* bytes, size_t length);

// The baseline and field of view the pair's cameras state.
SpatialFacts CameraFacts(const HeifBoxFacts& facts, const HeifStereoPair& pair);

// The file with a `ster` group of the two items added to the `meta` box's
// `grpl` (made when there is none), and every location the insertion moves
// corrected. Nothing when the file has no `meta` or location box to correct,
// a location's field cannot hold the moved offset, or either item is unknown.
std::optional<std::vector<uint8_t>> WithStereoGroup(const uint8_t* bytes, size_t length, HeifStereoPair pair);

}  // namespace plexo
