#include "play/time_seek.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "play/tick_rules.h"

namespace plexo::play {

std::optional<TimeSeek> SeekByTime(Film& film, Micros from, Micros by, double rate)
{
    const int32_t count = film.FrameCount();
    if (count <= 0)
        return std::nullopt;
    const int32_t last = count - 1;
    const bool timed = film.Timing().TimeAt(0) >= 0;
    if (!timed && rate <= 0)
        return std::nullopt;
    const auto timeAt = [&](int32_t position) {
        return timed ? film.Timing().TimeAt(position) : Micros(std::llround(double(position) * 1e6 / rate));
    };
    TimeSeek seek;
    seek.length = timed ? timeAt(last) + FrameLength(film, last) : Micros(std::llround(double(count) * 1e6 / rate));
    const Micros target = std::clamp<Micros>(from + by, 0, timeAt(last));
    if (timed) {
        seek.position = PositionAtTime(film, target);
    } else {
        // The frame whose rounded time is the target's lands on it, not the
        // one before.
        seek.position = int32_t(std::clamp<int64_t>(int64_t(double(target) * rate / 1e6), 0, last));
        while (seek.position < last && timeAt(seek.position + 1) <= target)
            ++seek.position;
        while (seek.position > 0 && timeAt(seek.position) > target)
            --seek.position;
    }
    seek.time = target;
    return seek;
}

std::string ClockText(Micros time)
{
    const int64_t seconds = std::max<Micros>(time, 0) / 1000000;
    char text[32];
    if (seconds >= 3600)
        std::snprintf(text, sizeof text, "%lld:%02d:%02d", static_cast<long long>(seconds / 3600),
                      int(seconds / 60 % 60), int(seconds % 60));
    else
        std::snprintf(text, sizeof text, "%d:%02d", int(seconds / 60), int(seconds % 60));
    return text;
}

std::string TimeLineText(const TimeSeek& seek)
{
    return ClockText(seek.time) + " / " + ClockText(seek.length);
}

std::string DelayText(Micros delay)
{
    const long long ms = static_cast<long long>(delay / 1000);
    return (ms > 0 ? "+" : "") + std::to_string(ms) + " ms";
}

std::vector<std::string> DelayNotes(Micros sound, Micros subtitles)
{
    std::vector<std::string> notes;
    if (sound / 1000 != 0)
        notes.push_back("sound delay " + DelayText(sound));
    if (subtitles / 1000 != 0)
        notes.push_back("subtitle delay " + DelayText(subtitles));
    return notes;
}

}  // namespace plexo::play
