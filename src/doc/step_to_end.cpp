#include "doc/step_to_end.h"

namespace plexo {

int32_t StepToEnd(Film& film, bool last)
{
    const bool round = film.GetRound();
    film.SetRound(false);
    // A film never needs more moves than it has frames.
    const int32_t moves = film.Skip(last ? film.FrameCount() : -film.FrameCount());
    film.SetRound(round);
    return moves;
}

}  // namespace plexo
