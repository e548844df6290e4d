#include "play/delay_meter.h"

#include <algorithm>

namespace plexo::play {

void DelayMeter::Painted(Micros now)
{
    // A paint with nothing new (a scroll, an expose) says nothing.
    if (shownAt_ < 0)
        return;
    samples_[next_] = std::clamp<Micros>(now - shownAt_, 0, kMostPresentDelay);
    next_ = (next_ + 1) % kSamples;
    count_ = std::min(count_ + 1, kSamples);
    shownAt_ = -1;
}

Micros DelayMeter::Delay() const
{
    if (count_ == 0)
        return 0;
    std::array<Micros, kSamples> sorted = samples_;
    std::nth_element(sorted.begin(), sorted.begin() + count_ / 2, sorted.begin() + count_);
    return sorted[count_ / 2];
}

}  // namespace plexo::play
