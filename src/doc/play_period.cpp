#include "doc/play_period.h"

#include <cmath>

namespace plexo {

int PlayPeriodMs(double framesPerSecond)
{
    if (!(framesPerSecond > 0))
        return kIdlePlayPeriodMs;
    // A tiny positive rate would overflow an int; it is as good as idle.
    const double period = std::trunc(1000.0 / framesPerSecond);
    if (period >= kIdlePlayPeriodMs)
        return kIdlePlayPeriodMs;
    return period < 1 ? 1 : int(period);
}

}  // namespace plexo
