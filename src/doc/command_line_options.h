#pragma once
// What the viewer's command line asks of the first film the document opens
// through its open-from-file path. The shell parses argv into it; the document
// applies it once and then sets `done`.

#include <cstdint>
#include <string>

namespace plexo {

struct CommandLineOptions {
    bool play = false;
    bool stereo = false;
    bool invert = false;
    bool round = false;
    // The partner offset of "A=", -100..100.
    int32_t shift = 4;
    // "second=": the film paired with the first; empty for none.
    std::string secondFilm;
    // "side=": 0 right, 1 bottom, 2 left, 3 top.
    int32_t side = 0;
    // "--slideshow[=SECONDS]": a slideshow of the list or folder named, each
    // picture shown SECONDS (0: as Settings says).
    bool slideshow = false;
    int32_t slideSeconds = 0;
    // False while a film named on the command line still waits for these
    // options; start-up clears it when a file name was given.
    bool done = true;
};

}  // namespace plexo
