#include "play/slideshow.h"

#include <algorithm>

namespace plexo::play {

void Slideshow::Start(Micros pictureTime)
{
    pictureTime_ = std::max<Micros>(pictureTime, 0);
    running_ = true;
}

void Slideshow::Shown(bool video)
{
    shownAt_ = wall_->Now();
    video_ = video;
    ended_ = false;
}

bool Slideshow::Due() const
{
    return Wait() == 0;
}

Micros Slideshow::Wait() const
{
    if (!running_)
        return kUntilEnd;
    if (video_)
        return ended_ ? 0 : kUntilEnd;
    return std::max<Micros>(shownAt_ + pictureTime_ - wall_->Now(), 0);
}

}  // namespace plexo::play
