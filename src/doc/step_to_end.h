#pragma once
// Home and End of the viewer: the first or last frame that stepping reaches.

#include <cstdint>

#include "film/film.h"

namespace plexo {

// Steps the film with Prev (towards the first frame) or Next (towards the
// last) until it refuses, as it does at an end or where the partner would
// leave the film. A looping film is walked as if it did not loop, so it stops
// at its end too. Returns the number of moves made.
int32_t StepToEnd(Film& film, bool last);

}  // namespace plexo
