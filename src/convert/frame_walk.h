#pragma once
// The walk shared by the frame writers: every frame of the film from the
// first, one at a time, stopping at the first frame that fails or when a stop
// is asked for.

#include <functional>

#include "convert/converters.h"
#include "film/film.h"

namespace plexo {

// Sets the film to shift 0 without wrapping, moves it to its first frame and
// calls `writeFrame` for each frame; the film's pictures are released after
// every frame. True when every frame was written and no stop came.
bool WalkFrames(Film& film, const ConversionControl& control, const std::function<bool()>& writeFrame);

}  // namespace plexo
