#pragma once
// The one sound output of playback, as mpv's `ao`: the player starts it at
// each forward leg of a film with times and stops it when playback stops,
// holds or goes back; while it is heard, the clock follows its position.

#include <optional>

#include "play/clock.h"

namespace plexo::play {

class SoundOutput {
public:
    virtual ~SoundOutput() = default;
    // Plays from film time `at` at `speed` times the film's own pace; false
    // when the film stays silent (no sound to play, a speed it cannot keep).
    virtual bool Start(Micros at, double speed) = 0;
    // Silent at once.
    virtual void Stop() = 0;
    // The film time heard now, or nothing while it cannot tell (stopped,
    // not started yet, underrun, its server gone): the clock then runs on
    // the wall clock from where the sound last stood.
    virtual std::optional<Micros> Position() = 0;
    // 0..100; kept across starts.
    virtual void SetVolume(int percent, bool muted) = 0;
};

}  // namespace plexo::play
