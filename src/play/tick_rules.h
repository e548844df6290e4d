#pragma once
// How playback moves a film. A film of frames (a .flm file, a numbered run,
// stills) moves on every tick of the Frames/sec period: Step + 1 frames in
// the direction of play, turning back at an end of a film that does not
// loop. A film whose frames keep times (a video) shows the frame whose time
// the clock has reached; the turn and the loop are those of the frames.

#include <cstdint>

#include "film/film.h"

namespace plexo::play {

// One tick of a film of frames: `step` + 1 frames on in the direction
// `forward` (Next, else Prev), bouncing at an end: the last move that could
// not be made is made back the other way and `forward` turns.
void TickFrames(Film& film, int32_t step, bool& forward);


// The time a frame at `position` lasts until the next begins; the last
// frame lasts as long as the one before it, or 1 / rate.
int64_t FrameLength(Film& film, int32_t position);

}  // namespace plexo::play
