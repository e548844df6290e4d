#pragma once
// What the main frame knows about how the film is presented; the Settings
// dialog reads and changes it, the view and playback read it.

#include <cstdint>

namespace plexo {

struct PresentationState {
    bool playing = false;
    bool stereo = false;
    // 1 red-blue anaglyph, 2 interlaced, any other value page flipping.
    int32_t presentation = 1;
    double framesPerSecond = 15.0;
};

}  // namespace plexo
