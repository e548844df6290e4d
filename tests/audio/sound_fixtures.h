#pragma once
// Films with a beep, made by the ffmpeg program for the sound tests.

#include <cmath>
#include <string>
#include <vector>

#include "support/outside_programs.h"
#include "support/temp_dir.h"

namespace plexo::test {

// dir/name: 2 s of 64 x 48 pictures at 25 a second and 3 s of 48 kHz
// stereo PCM, silent but for a 1 kHz beep from 1.0 s to 1.1 s of the sound,
// which starts `soundDelay` seconds after the picture, coded by `audioCoding`
// (ffmpeg's options). Empty when ffmpeg fails.
inline std::string MakeBeepFilm(const TempDir& dir, const std::string& name, double soundDelay,
                                const std::string& audioCoding = "-c:a pcm_s16le")
{
    const std::string beep = "if(between(t\\,1\\,1.1)\\,0.8*sin(2*PI*1000*t)\\,0)";
    return RunCommand("ffmpeg -v error -y -f lavfi -i testsrc2=size=64x48:rate=25:duration=2 -itsoffset " +
                      std::to_string(soundDelay) + " -f lavfi -i 'aevalsrc=" + beep + "|" + beep +
                      ":s=48000:d=3' -map 0:v -map 1:a -c:v libx264 " + audioCoding + " '" + dir.file(name) + "'")
               ? dir.file(name)
               : std::string();
}

// The first frame of interleaved samples louder than a tenth of full
// scale; -1 when none is.
inline long Onset(const std::vector<float>& samples, int channels)
{
    for (size_t i = 0; i < samples.size(); ++i)
        if (std::fabs(samples[i]) > 0.1f)
            return long(i / size_t(channels));
    return -1;
}

}  // namespace plexo::test
