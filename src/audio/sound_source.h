#pragma once
// What a film's sound plays: the document decides it (doc/document.h,
// soundSource), the film's sound output plays it.

#include <string>

#include "play/clock.h"

namespace plexo::audio {

struct SoundSource {
    // The video whose sound plays.
    std::string path;
    // The stream's index in the file; -1 for the file's default.
    int track = -1;
    // Where the sound ends, after the first picture; 0: where the file says.
    play::Micros pictureLength = 0;
};

}  // namespace plexo::audio
