#pragma once
// Seeking by time, as mpv's and VLC's arrows seek: the frame shown at the
// time a number of seconds from now, within the film, and the line that
// says where that is.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "film/film.h"
#include "play/clock.h"

namespace plexo::play {

struct TimeSeek {
    // The frame shown at `time`, which the seek lands on.
    int32_t position = 0;
    Micros time = 0;
    // How long the film lasts.
    Micros length = 0;
};

// From film time `from`, `by` later (earlier when negative), held within the
// film: a video's frames by their own times, a film of frames at `rate` a
// second. Nothing for a film without frames, or without times and a rate.
std::optional<TimeSeek> SeekByTime(Film& film, Micros from, Micros by, double rate);

// "H:MM:SS" from an hour on, else "M:SS"; the seconds truncated.
std::string ClockText(Micros time);
// The on-screen line after a seek: "0:07 / 1:30:00".
std::string TimeLineText(const TimeSeek& seek);
// A delay as the status bar and the frame display show it: "+150 ms",
// "-50 ms".
std::string DelayText(Micros delay);
// "sound delay +50 ms" and "subtitle delay -100 ms", each while not 0.
std::vector<std::string> DelayNotes(Micros sound, Micros subtitles);

}  // namespace plexo::play
