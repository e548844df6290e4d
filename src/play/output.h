#pragma once
// Where the player's pictures go. An output is a small table of operations,
// the shape of mpv's vo_driver: it starts, is shown one pair at a time, and
// stops. The view is the first, page flipping the second; a second window or
// a headset is one more.

#include "film/eye_pair.h"
#include "play/clock.h"
#include "present/adjustments.h"
#include "present/presentation.h"

namespace plexo::play {

// What every output is shown with a pair: the presentation decided once by
// the player, and the adjustments on top of it.
struct Showing {
    const Presentation* presentation = nullptr;
    StereoAdjustments adjust;
};

class Output {
public:
    virtual ~Output() = default;
    // False when the output cannot show now (page flipping without its
    // driver): the player then leaves it out.
    virtual bool Start() { return true; }
    // The pair to show now, null for none (no film). On the player's thread;
    // an output that shows elsewhere keeps the pair, which owns its pictures.
    virtual void Show(const EyePairPtr& pair, const Showing& showing) = 0;
    virtual void Stop() {}
    // How long, in wall-clock microseconds, a pair takes from Show to the
    // screen, smoothed over the last ones (delay_meter.h); 0 when the output
    // cannot tell. The player shows each frame that much ahead of its time.
    virtual Micros Delay() const { return 0; }
};

}  // namespace plexo::play
