#include "video/video_fixtures.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

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

std::vector<PacketPlace> PacketPlaces(const std::string& path)
{
    std::istringstream lines(CommandOutput("ffprobe -v quiet -select_streams v -show_entries packet=pos,size,flags "
                                           "-of csv=p=0 '" + path + "'"));
    std::vector<PacketPlace> places;
    for (std::string line; std::getline(lines, line);) {
        PacketPlace place;
        char flags[8] = {};
        if (std::sscanf(line.c_str(), "%zu,%zu,%7s", &place.size, &place.offset, flags) == 3) {
            place.key = flags[0] == 'K';
            places.push_back(place);
        }
    }
    return places;
}

}  // namespace plexo::test
