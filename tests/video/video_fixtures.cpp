#include "video/video_fixtures.h"

#include <cstdlib>

#include "support/outside_programs.h"

namespace plexo::test {

bool MakeVideo(const TempDir& dir, const std::string& name, const std::string& encode)
{
    return RunCommand("ffmpeg -v error -y -f lavfi -i testsrc2=size=64x48:rate=25 -frames:v 10 " + encode + " '" +
                      dir.file(name) + "'");
}

std::vector<uint8_t> FfmpegFrames(const std::string& path)
{
    const std::string bytes =
        CommandOutput("ffmpeg -v quiet -i '" + path + "' -fps_mode passthrough -f rawvideo -pix_fmt bgr24 -");
    return {bytes.begin(), bytes.end()};
}

double MeanDifference(const Picture& ours, const uint8_t* theirs, size_t stride)
{
    double sum = 0;
    for (int r = 0; r < ours.height; ++r) {
        const uint8_t* top = theirs + size_t(ours.height - 1 - r) * stride;
        for (size_t i = 0; i < ours.rowBytes(); ++i)
            sum += std::abs(int(ours.row(r)[i]) - int(top[i]));
    }
    return sum / double(ours.byteCount());
}

}  // namespace plexo::test
