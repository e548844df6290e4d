#pragma once
// Films with a beep, made by the ffmpeg program for the sound tests.

#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace plexo::test {

// dir/name: 2 s of 64 x 48 pictures at 25 a second and 3 s of 48 kHz
// stereo sound, silent but for a 1 kHz beep from 1.0 s to 1.1 s of the
// sound, which starts `soundDelay` seconds after the picture; `audio` the
// ffmpeg options of the sound's codec. Empty when ffmpeg fails.
std::string MakeBeepFilm(const TempDir& dir, const std::string& name, double soundDelay,
                         const std::string& audio = "-c:a pcm_s16le");

// The first frame of interleaved samples louder than a tenth of full
// scale; -1 when none is.
long Onset(const std::vector<float>& samples, int channels);

}  // namespace plexo::test
