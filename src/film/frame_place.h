#pragma once
// Where a film stands, as the viewer's frame display tells it: the current
// frame's number and position, the partner's number and the shift.

#include <cstdint>

#include "film/film.h"

namespace plexo {

struct FramePlace {
    int32_t number = -1;
    // 1-based position in play order; 0 when the film cannot tell.
    int32_t position = 0;
    int32_t count = 0;
    // -1 when the film cannot tell.
    int32_t partnerNumber = -1;
    int32_t shift = 0;
    // Ticks of the playback under way or last ended that showed a frame
    // again because the next was not decoded yet; -1 for a film whose frames
    // are always ready.
    int32_t lateTicks = -1;
};

// A pair reports its first film's place, whose frames it steps through.
FramePlace PlaceOf(const Film& film);

}  // namespace plexo
