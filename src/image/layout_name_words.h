#pragma once
// The stereo layout a file's name states in its words, for videos and still
// pictures alike: "holiday_sbs.mp4", "clip-half-ou-rl.mkv", "DSC_lr.jpg".

#include <optional>
#include <string_view>

#include "image/stereo_layout.h"

namespace plexo {

// The name, less its folder and extension, is split at '.', '_', '-' and
// blanks, in any case. "sbs" means side by side and "tb" or "ou" top-bottom;
// "hsbs", "htb", "hou", or "half" followed by one of those three, the half
// layouts. "lr" or "rl" alone mean side by side; next to another layout word
// they give its order, "rl" right first. The first layout word wins. Empty
// when the name states no layout.
std::optional<StereoLayout> LayoutOfFileName(std::string_view path);

}  // namespace plexo
