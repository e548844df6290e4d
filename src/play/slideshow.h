#pragma once
// A slideshow's timing: each picture stays for the time set, a video plays
// to its end, and then the next film is due. The shell shows the films and
// asks when the next one is due; the clock is the player's wall clock, so
// tests run it by hand.

#include "play/clock.h"

namespace plexo::play {

class Slideshow {
public:
    explicit Slideshow(const WallClock& wall = SteadyWallClock()) : wall_(&wall) {}

    void Start(Micros pictureTime);
    void Stop() { running_ = false; }
    bool Running() const { return running_; }

    // A film began to show now (a slideshow's move, Page Down or Page Up):
    // a picture's time starts, a video waits for its end.
    void Shown(bool video);
    // The video shown played to its end.
    void VideoEnded() { ended_ = true; }

    // Whether the next film is due now.
    bool Due() const;
    // Microseconds until the next film is due (0 when it is); kUntilEnd
    // while a video plays, or while no slideshow runs.
    static constexpr Micros kUntilEnd = -1;
    Micros Wait() const;

private:
    const WallClock* wall_;
    Micros pictureTime_ = 0;
    Micros shownAt_ = 0;
    bool running_ = false;
    bool video_ = false;
    bool ended_ = false;
};

}  // namespace plexo::play
