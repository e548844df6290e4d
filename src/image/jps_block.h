#pragma once
// The APP3 "_JPSJPS_" block of a JPS file, which states how the picture holds
// its eyes. Without it a JPS picture is side by side, right eye on the left
// (the cross-eyed order).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "image/stereo_layout.h"

namespace plexo {

// The layout of the block: a mono picture, or side by side or over-under,
// full or half, left or right first. Empty without a block, or for one that
// states a layout the system does not show (interleaved, anaglyph).
std::optional<StereoLayout> ReadJpsLayout(const uint8_t* stream, size_t length);

// The whole APP3 segment, marker first, that states `layout`, for a writer to
// put into its stream at HeaderInsertPoint: no separation, no comment.
std::vector<uint8_t> JpsBlockFor(const StereoLayout& layout);

// The layout of a JPS file that states none.
inline constexpr StereoLayout kJpsDefaultLayout{LayoutKind::SideBySide, false, true};

}  // namespace plexo
