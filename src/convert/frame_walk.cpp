#include "convert/frame_walk.h"

namespace plexo {

bool WalkFrames(Film& film, const ConversionControl& control, const std::function<bool()>& writeFrame)
{
    film.SetShift(0);
    film.SetRound(false);
    while (film.Prev()) {
    }
    const int total = film.FrameCount();
    int done = 0;
    do {
        if (control.stop && control.stop->load())
            return false;
        const bool written = writeFrame();
        film.ReleasePictures();
        if (!written)
            return false;
        ++done;
        if (control.onFrame)
            control.onFrame(done, total);
    } while (film.Next());
    return true;
}

}  // namespace plexo
