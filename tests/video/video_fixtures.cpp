#include "video/video_fixtures.h"

#include "support/outside_programs.h"

namespace plexo::test {

bool MakeVideo(const TempDir& dir, const std::string& name, const std::string& encode)
{
    return RunCommand("ffmpeg -v error -y -f lavfi -i testsrc2=size=64x48:rate=25 -frames:v 10 " + encode + " '" +
                      dir.file(name) + "'");
}

std::vector<uint8_t> FfmpegFrames(const std::string& path)
{
    const std::string bytes = CommandOutput("ffmpeg -v error -i '" + path + "' -f rawvideo -pix_fmt bgr24 -");
    return {bytes.begin(), bytes.end()};
}

}  // namespace plexo::test
