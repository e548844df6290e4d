#include "doc/step_to_end.h"

namespace plexo {

int32_t StepToEnd(Film& film, bool last)
{
    const bool round = film.GetRound();
    film.SetRound(false);
    int32_t moves = 0;
    // A film never needs more moves than it has frames; the bound keeps a
    // film that never refuses from looping for ever.
    while (moves < film.FrameCount() && (last ? film.Next() : film.Prev()))
        ++moves;
    film.SetRound(round);
    return moves;
}

}  // namespace plexo
