#pragma once
// What the user adjusts on top of any stereo presentation: the eyes
// exchanged, the displacement D that moves them apart or together, and the
// second eye moved up or down.

#include <cstdint>

#include "film/film.h"

namespace plexo {

struct StereoAdjustments {
    // The partner's picture is the first eye and the current frame's the second.
    bool swap = false;
    // Columns: the first eye moves by trunc(D/2) − D, the second by +D.
    int32_t dist = 0;
    // Rows the second eye moves up; a negative count moves it down.
    int32_t vertical = 0;
};

// The film's picture that each eye shows.
constexpr Eye FirstEye(const StereoAdjustments& adjust) { return adjust.swap ? Eye::Partner : Eye::Current; }
constexpr Eye SecondEye(const StereoAdjustments& adjust) { return adjust.swap ? Eye::Current : Eye::Partner; }

// The pair's picture of the current frame (the first eye) or of its partner.
inline const Picture& EyeOf(const EyePair& pair, Eye eye) { return eye == Eye::Current ? pair.first : pair.second; }

}  // namespace plexo
