#pragma once
// How near the scene comes inside a box: the disparity of its nearest
// content, by block matching on reduced grey copies of the two eyes, then
// refined at full size around the nearest blocks. Only matches that stand
// alone count: a repeated pattern matches as well a period away, and
// content one eye cannot see matches by chance.
//
// A disparity is counted as the first eye's column minus the second's: a
// point in front of the screen plane has a positive one.

#include <optional>

#include "image/picture.h"

namespace plexo::subtitle {

// A box in an eye, counted from its top row.
struct Box {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The largest disparity, within ±`range` pixels, of the textured content of
// the first eye inside `box`, or around it where the box holds too little
// (a flat object under it shows its depth at its ends); nullopt when none is
// found (flat, or outside the pictures) or the eyes differ in size. Either
// tone.
std::optional<int> NearestDisparity(const Picture& first, const Picture& second, const Box& box, int range);

}  // namespace plexo::subtitle
