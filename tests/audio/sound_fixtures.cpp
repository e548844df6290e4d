#include "audio/sound_fixtures.h"

#include <cmath>

#include "support/outside_programs.h"

namespace plexo::test {

std::string MakeBeepFilm(const TempDir& dir, const std::string& name, double soundDelay, const std::string& audio)
{
    const std::string path = dir.file(name);
    const std::string beep = "aevalsrc=if(between(t\\,1\\,1.1)\\,0.8*sin(2*PI*1000*t)\\,0)|"
                             "if(between(t\\,1\\,1.1)\\,0.8*sin(2*PI*1000*t)\\,0):s=48000:d=3";
    const bool made = RunCommand("ffmpeg -v error -y -f lavfi -i testsrc2=size=64x48:rate=25:duration=2 -itsoffset " +
                                 std::to_string(soundDelay) + " -f lavfi -i '" + beep +
                                 "' -map 0:v -map 1:a -c:v libx264 -pix_fmt yuv420p " + audio + " '" + path + "'");
    return made ? path : std::string();
}

long Onset(const std::vector<float>& samples, int channels)
{
    for (size_t i = 0; i < samples.size(); ++i)
        if (std::fabs(samples[i]) > 0.1f)
            return long(i / size_t(channels));
    return -1;
}

}  // namespace plexo::test
