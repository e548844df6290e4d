#pragma once
// How long an output's pictures take to reach the screen: from the player's
// Show to the end of the paint that draws them (composition and painting).
// The player shows each frame that much before its time, so that it appears
// when its sound is heard. The median of the last few paints, so that one
// slow paint moves nothing, held to at most kMostPresentDelay.

#include <array>
#include <cstddef>

#include "play/clock.h"

namespace plexo::play {

// A delay beyond this is a stall, not a steady cost: it is not made up for.
constexpr Micros kMostPresentDelay = 100000;

class DelayMeter {
public:
    // A pair was handed to the output at wall time `now`.
    void Shown(Micros now) { shownAt_ = now; }
    // A paint ended at `now`; it drew the pair shown last, if not yet drawn.
    void Painted(Micros now);
    // The pair shown last is drawn by a paint that is no measure (out of
    // playback, where nothing is due).
    void Forget() { shownAt_ = -1; }
    // The smoothed delay, 0 before any paint.
    Micros Delay() const;

private:
    static constexpr size_t kSamples = 15;
    Micros shownAt_ = -1;
    std::array<Micros, kSamples> samples_{};
    size_t count_ = 0;
    size_t next_ = 0;
};

}  // namespace plexo::play
