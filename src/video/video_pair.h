#pragma once
// The owned pair of a video's moment, as the films hand it out: views into
// the shared converted frames, which the pair holds, so that it stays valid
// on any thread after the cache has let them go, and nothing is copied.

#include "film/eye_pair.h"
#include "video/video_picture.h"

namespace plexo::video {

// Eye `firstEye` of `first` and eye `secondEye` of `second` in `tone`,
// numbered from 1 by their frames' indexes, at the first's time; null
// without a first picture or when its grey cannot be had.
EyePairPtr VideoPair(SharedPicture first, int firstEye, SharedPicture second, int secondEye, Tone tone);

}  // namespace plexo::video
