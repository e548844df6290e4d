#pragma once
// The playback clock: where in the film the playback stands, in
// microseconds of the film's own time. It runs on a monotonic wall clock at
// the playing speed from where it was started, unless a master source (the
// sound being heard) says where the film stands, which then wins.

#include <cstdint>

namespace plexo::play {

using Micros = int64_t;

// A monotonic wall clock; tests pass a fake one.
class WallClock {
public:
    virtual ~WallClock() = default;
    virtual Micros Now() const = 0;
};

// std::chrono::steady_clock.
const WallClock& SteadyWallClock();

// What drives the clock while it can (play/sound_output.h).
class SoundOutput;

class PlayClock {
public:
    explicit PlayClock(const WallClock& wall = SteadyWallClock()) : wall_(&wall) {}

    // Runs from film time `at`, `speed` film seconds a wall second (> 0).
    void Start(Micros at, double speed = 1.0);
    // Holds the time where it stands.
    void Stop();
    // Moves to `at`, running or not.
    void Set(Micros at);
    bool Running() const { return running_; }
    double Speed() const { return speed_; }
    // The film time now.
    Micros Now() const;
    // The sound heard, whose position wins while it tells one; null: the
    // wall clock alone. The sound must outlive its use here. A sound
    // delayed by `delay` plays the film time t at film time t + delay.
    void SetMaster(SoundOutput* master, Micros delay = 0)
    {
        master_ = master;
        masterDelay_ = delay;
    }
    SoundOutput* Master() const { return master_; }

private:
    const WallClock* wall_;
    SoundOutput* master_ = nullptr;
    Micros masterDelay_ = 0;
    bool running_ = false;
    double speed_ = 1.0;
    // Film time `anchor_` was at wall time `wallAnchor_`; a master's reading
    // moves them.
    mutable Micros anchor_ = 0;
    mutable Micros wallAnchor_ = 0;
};

}  // namespace plexo::play
