#include "play/clock.h"

#include <chrono>
#include <cmath>

#include "play/sound_output.h"

namespace plexo::play {

namespace {

class SteadyClock final : public WallClock {
public:
    Micros Now() const override
    {
        return std::chrono::duration_cast<std::chrono::microseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
};

}  // namespace

const WallClock& SteadyWallClock()
{
    static const SteadyClock clock;
    return clock;
}

void PlayClock::Start(Micros at, double speed)
{
    speed_ = speed > 0 && std::isfinite(speed) ? speed : 1.0;
    anchor_ = at;
    wallAnchor_ = wall_->Now();
    running_ = true;
}

void PlayClock::Stop()
{
    anchor_ = Now();
    running_ = false;
}

void PlayClock::Set(Micros at)
{
    anchor_ = at;
    wallAnchor_ = wall_->Now();
}

Micros PlayClock::Now() const
{
    if (!running_)
        return anchor_;
    const Micros wall = wall_->Now();
    if (master_) {
        if (const std::optional<Micros> heard = master_->Position()) {
            // Where the master falls silent the wall clock goes on from here.
            anchor_ = *heard + masterDelay_;
            wallAnchor_ = wall;
            return anchor_;
        }
    }
    return anchor_ + Micros(std::llround(double(wall - wallAnchor_) * speed_));
}

}  // namespace plexo::play
