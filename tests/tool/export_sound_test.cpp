#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>

#include "support/outside_programs.h"
#include "support/temp_dir.h"
#include "support/tool_run.h"

namespace plexo {
namespace {

struct SoundRow {
    const char* name;
    // ffmpeg's options for the source's sound, the output's extension, the
    // export's own options, and the sound codec ffprobe must find ("" none).
    const char* sound;
    const char* extension;
    const char* options;
    const char* expected;
};

// A stream's end as ffprobe reads its packets: the last one's time plus its
// length, in seconds; 0 without packets.
double StreamEnd(const std::string& path, const char* stream)
{
    std::istringstream lines(test::CommandOutput("ffprobe -v error -select_streams " + std::string(stream) +
                                                 " -show_entries packet=pts_time,duration_time -of csv=p=0 '" +
                                                 path + "'"));
    double end = 0;
    for (std::string line; std::getline(lines, line);)
        end = std::max(end, std::atof(line.c_str()) + std::atof(line.substr(line.find(',') + 1).c_str()));
    return end;
}

class ExportSound : public testing::TestWithParam<SoundRow> {};

// A 2 s video with 3 s of sound: its export keeps the sound, copied where
// the container takes the codec, else in AAC, and cut to within a frame of
// the picture, a time-shift export too; --no-audio drops it.
TEST_P(ExportSound, CopiesOrEncodesAndCutsToThePicture)
{
    if (!test::HaveTool())
        GTEST_SKIP() << "PLEXO_TOOL is not set";
    const SoundRow row = GetParam();
    test::TempDir dir;
    ASSERT_TRUE(test::RunCommand("ffmpeg -v error -f lavfi -i testsrc2=size=64x48:rate=25:duration=2 -f lavfi -i "
                                 "sine=f=440:d=3:r=48000 -c:v libx264 -pix_fmt yuv420p " +
                                 std::string(row.sound) + " " + test::Quoted(dir, "film.mkv")));
    const std::string out = std::string("out.") + row.extension;
    const test::ToolRun run =
        test::RunTool(dir, "export " + test::Quoted(dir, "film.mkv") + " " + row.options + " --out " + test::Quoted(dir, out));
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string codec = test::CommandOutput("ffprobe -v error -select_streams a -show_entries stream=codec_name "
                                                  "-of csv=p=0 " + test::Quoted(dir, out));
    EXPECT_EQ(codec, *row.expected ? std::string(row.expected) + "\n" : "");
    if (*row.expected) {
        EXPECT_NEAR(StreamEnd(dir.file(out), "a"), StreamEnd(dir.file(out), "v"), 0.04);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Tool, ExportSound,
    testing::Values(SoundRow{"AacIntoMp4", "-c:a aac", "mp4", "", "aac"},
                    SoundRow{"OpusIntoMatroska", "-c:a libopus", "mkv", "", "opus"},
                    SoundRow{"OpusIntoMp4", "-c:a libopus", "mp4", "", "aac"},
                    SoundRow{"FlacIntoMatroska", "-c:a flac", "mkv", "", "aac"},
                    SoundRow{"Mp3IntoMp4TimeShifted", "-c:a libmp3lame", "mp4", "--shift 3", "mp3"},
                    SoundRow{"NoAudio", "-c:a aac", "mp4", "--no-audio", ""}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace plexo
