#pragma once
// The playback timer's period for a frames-per-second setting.

namespace plexo {

// The longest period the timer accepts, used when there is no usable rate.
inline constexpr int kIdlePlayPeriodMs = 0xFFFFFF;

// trunc(1000 / fps) milliseconds, at least 1; kIdlePlayPeriodMs for a rate of
// 0, below 0 or not a number.
int PlayPeriodMs(double framesPerSecond);

}  // namespace plexo
