#include "doc/resume_rule.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace plexo {

std::optional<double> PositionToKeep(double at, double duration)
{
    if (!(duration > kShortestResumed) || !(at > 0) || at >= duration * (1 - kSeenShare))
        return std::nullopt;
    // To the millisecond: the record stays short and reads back the same.
    return std::round(at * 1000) / 1000;
}

std::string ResumedNotice(double at)
{
    const long long seconds = std::llround(std::max(at, 0.0));
    char text[64];
    if (seconds >= 3600)
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60, seconds % 60);
    else
        std::snprintf(text, sizeof text, "%lld:%02lld", seconds / 60, seconds % 60);
    return std::string("Resumed at ") + text + "; Home starts over";
}

}  // namespace plexo
