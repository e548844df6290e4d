#pragma once
// What the main frame knows about how the film is presented; the Settings
// dialog reads and changes it, the view and playback read it.

#include "present/presentation.h"

namespace plexo {

struct PresentationState {
    bool playing = false;
    bool stereo = false;
    // The presentation while stereo is on.
    PresentationId presentation = PresentationId::RedBlue;
    double framesPerSecond = 15.0;
};

}  // namespace plexo
