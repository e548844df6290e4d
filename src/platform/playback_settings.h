#pragma once
// Section "Playback": resuming videos where they were left, the time each
// picture of a slideshow stays, and whether a list starts again after its
// last film (Film > Loop's "List"; "Film" is Round in "Settings"). The
// document reads them when it is made and writes them when it goes.

#include <cstdint>

namespace plexo::platform {

// The longest a slideshow's picture stays, in seconds: an hour.
inline constexpr int32_t kMaxSlideSeconds = 3600;

struct PlaybackSettings {
    bool resume = true;
    // Held to 1..kMaxSlideSeconds when read.
    int32_t slideSeconds = 5;
    bool loopList = false;

    static PlaybackSettings Read();
    void Write() const;
};

}  // namespace plexo::platform
