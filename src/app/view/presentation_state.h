#pragma once
// What the main frame knows about playback and stereo; the Settings dialog
// reads and changes it, the view and playback read it. Which presentation
// stereo shows, and its adjustments, are the document's stereo choice, beside
// the film they present; these stay with the window, whose timer plays and
// which page flipping takes over.

namespace plexo {

struct PresentationState {
    bool playing = false;
    bool stereo = false;
    double framesPerSecond = 15.0;
};

}  // namespace plexo
