#include "play/tick_rules.h"

#include <algorithm>
#include <cmath>

namespace plexo::play {

void TickFrames(Film& film, int32_t step, bool& forward)
{
    const auto onward = [&] { return forward ? film.Next() : film.Prev(); };
    for (int32_t i = 0; i < step; ++i)
        onward();
    if (!onward()) {
        forward ? film.Prev() : film.Next();
        forward = !forward;
    }
}

int64_t FrameLength(Film& film, int32_t position)
{
    const int32_t count = film.FrameCount();
    if (position + 1 < count)
        return std::max<int64_t>(film.Timing().TimeAt(position + 1) - film.Timing().TimeAt(position), 1);
    if (position > 0)
        return std::max<int64_t>(film.Timing().TimeAt(position) - film.Timing().TimeAt(position - 1), 1);
    const double rate = film.FrameRate();
    return rate > 0 ? std::max<int64_t>(std::llround(1e6 / rate), 1) : 40000;
}

}  // namespace plexo::play
