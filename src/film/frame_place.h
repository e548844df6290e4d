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
    // Frames of the playback under way or last ended that were due and not
    // shown, as the player counts them; -1 where it counts none (a film of
    // frames, or before playback).
    int32_t lateFrames = -1;
};

// A pair reports its first film's place, whose frames it steps through.
FramePlace PlaceOf(const Film& film);

}  // namespace plexo
