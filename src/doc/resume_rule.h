#pragma once
// Where a video reopens: the place it was left, kept in its record's
// `position` field in seconds, as VLC and mpv resume films. Only a film long
// enough to be watched in more than one sitting is kept, and one left in its
// last moments (the credits) starts at its beginning next time.

#include <optional>
#include <string>

namespace plexo {

// Shorter films always start at their beginning.
inline constexpr double kShortestResumed = 120.0;
// The share at the end within which a film counts as seen to its end.
inline constexpr double kSeenShare = 0.02;

// The position to keep for a film of `duration` seconds left at `at`
// seconds; nullopt when none is kept (its record then forgets one).
std::optional<double> PositionToKeep(double at, double duration);

// "Resumed at 1:02:03; Home starts over" (minutes and seconds alone under
// an hour: "Resumed at 2:03; …").
std::string ResumedNotice(double at);

}  // namespace plexo
