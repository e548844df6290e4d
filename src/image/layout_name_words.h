#pragma once
// The stereo layout a file's name states in its words, for videos and still
// pictures alike: "holiday_sbs.mp4", "clip-half-ou-rl.mkv", "DSC_lr.jpg".

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "image/stereo_layout.h"

namespace plexo {

// The name, less its folder and extension, is split at '.', '_', '-' and
// blanks, in any case. "sbs" means side by side and "tb", "ou" or "tab"
// top-bottom; with "h" or "half" before them (as a word or joined: "hsbs",
// "H-TAB", "Half-OU") the half layouts, with "f" or "full" the full ones,
// which a bare word also means. "lr" or "rl" alone mean side by side; next to
// another layout word they give its order, "rl" right first. The first layout
// word wins. Empty when the name states no layout.
std::optional<StereoLayout> LayoutOfFileName(std::string_view path);

// Whether that layout word says half (true) or full (false) in so many
// words; empty for a bare word, or no layout word.
std::optional<bool> HalfOfFileName(std::string_view path);

// The name's words as the readers above take them: less its folder and
// extension, split at '.', '_', '-' and blanks, in lower case.
std::vector<std::string> FileNameWords(std::string_view path);

}  // namespace plexo
