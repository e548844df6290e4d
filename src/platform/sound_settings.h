#pragma once
// The sound's volume and mute, section "Sound": read when the main frame is
// made, written when it goes.

#include <cstdint>

namespace plexo::platform {

struct SoundSettings {
    // Percent, held to 0..100 when read.
    int32_t volume = 100;
    bool muted = false;

    static SoundSettings Read();
    void Write() const;
};

}  // namespace plexo::platform
