#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
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
    // export's own options, and the sound ffprobe must find: codec, rate and
    // channels ("" none).
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
// the container takes the codec, else in AAC (a rate or channels AAC does
// not take resampled to 48 kHz, 8 channels kept), and cut to within a frame
// of the picture, a time-shift export too; --no-audio drops it.
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
    const std::string codec = test::CommandOutput("ffprobe -v error -select_streams a -show_entries stream=codec_name,"
                                                  "sample_rate,channels -of csv=p=0 " + test::Quoted(dir, out));
    EXPECT_EQ(codec, *row.expected ? std::string(row.expected) + "\n" : "");
    if (*row.expected) {
        EXPECT_NEAR(StreamEnd(dir.file(out), "a"), StreamEnd(dir.file(out), "v"), 0.04);
    }
}

// 32 channels of a layout nobody named: the sine split and merged again.
const std::string kThirtyTwoChannels = [] {
    std::string labels;
    for (int i = 0; i < 32; ++i)
        labels += "[s" + std::to_string(i) + "]";
    return "-af \"asplit=32" + labels + ";" + labels + "amerge=inputs=32\" -c:a pcm_s16le";
}();

INSTANTIATE_TEST_SUITE_P(
    Tool, ExportSound,
    testing::Values(SoundRow{"AacIntoMp4", "-c:a aac", "mp4", "", "aac,48000,1"},
                    SoundRow{"OpusIntoMatroska", "-c:a libopus", "mkv", "", "opus,48000,1"},
                    SoundRow{"OpusIntoMp4", "-c:a libopus", "mp4", "", "aac,48000,1"},
                    SoundRow{"FlacIntoMatroska", "-c:a flac", "mkv", "", "aac,48000,1"},
                    SoundRow{"EightChannelsAt384kHz", "-ar 384000 -ac 8 -c:a pcm_s16le", "mkv", "", "aac,48000,8"},
                    SoundRow{"ThirtyTwoChannels", kThirtyTwoChannels.c_str(), "mkv", "", "aac,48000,8"},
                    SoundRow{"AacKeepsItsRate", "-ar 22050 -ac 2 -c:a flac", "mp4", "", "aac,22050,2"},
                    SoundRow{"Mp3IntoMp4TimeShifted", "-c:a libmp3lame", "mp4", "--shift 3", "mp3,48000,1"},
                    SoundRow{"NoAudio", "-c:a aac", "mp4", "--no-audio", ""}),
    [](const auto& info) { return std::string(info.param.name); });

// The audio stream's first time as ffprobe reads it, in seconds.
double StartOf(const std::string& path)
{
    return std::atof(test::CommandOutput("ffprobe -v error -select_streams a -show_entries stream=start_time -of "
                                         "csv=p=0 '" + path + "'").c_str());
}

// A 0.4 s picture whose sound starts at 1 s: MP4 and Matroska alike keep
// the sound whole at its time, copied or encoded, in a file that decodes.
TEST(ExportLateSound, IsKeptAtItsTimeInEveryContainer)
{
    if (!test::HaveTool())
        GTEST_SKIP() << "PLEXO_TOOL is not set";
    test::TempDir dir;
    for (const char* codec : {"aac", "libopus"}) {
        const std::string film = std::string("late-") + codec + ".mkv";
        ASSERT_TRUE(test::RunCommand("ffmpeg -v error -f lavfi -i testsrc2=size=64x48:rate=25:duration=0.4 -itsoffset 1 "
                                     "-f lavfi -i sine=d=1:r=48000 -c:v libx264 -pix_fmt yuv420p -c:a " +
                                     std::string(codec) + " " + test::Quoted(dir, film)));
        const double start = StartOf(dir.file(film));
        for (const char* extension : {"mp4", "mkv"}) {
            SCOPED_TRACE(film + " into " + extension);
            const std::string out = std::string(codec) + "." + extension;
            const test::ToolRun run = test::RunTool(dir, "export " + test::Quoted(dir, film) + " --out " + test::Quoted(dir, out));
            ASSERT_EQ(run.status, 0) << run.err;
            EXPECT_NEAR(StartOf(dir.file(out)), start, 0.03);
            EXPECT_NEAR(StreamEnd(dir.file(out), "a"), start + 1, 0.05);
            EXPECT_EQ(test::CommandOutput("ffmpeg -v error -i " + test::Quoted(dir, out) + " -f null - 2>&1"), "");
        }
    }
}

// The track taken is named: --audio-track's, else the film's kept one, else
// the default, which a kept one that is no sound stream falls back to.
TEST(ExportAudioTrack, TakesTheTrackAskedOrKeptAndNamesIt)
{
    if (!test::HaveTool())
        GTEST_SKIP() << "PLEXO_TOOL is not set";
    test::TempDir dir;
    const std::string film = dir.file("two.mkv");
    ASSERT_TRUE(test::RunCommand("ffmpeg -v error -f lavfi -i testsrc2=size=64x48:rate=25:duration=0.4 -f lavfi -i "
                                 "sine=d=1 -f lavfi -i sine=d=1 -map 0 -map 1 -map 2 -ac:a:1 2 -c:v libx264 "
                                 "-pix_fmt yuv420p -c:a aac " + test::Quoted(dir, "two.mkv")));
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    const std::string settings = dir.file("config"), previous = xdg ? xdg : "";
    std::filesystem::create_directories(settings + "/plexo");
    setenv("XDG_CONFIG_HOME", settings.c_str(), 1);
    // The stream named is the one written: only stream 2 has 2 channels.
    struct { const char* kept; const char* options; int status; const char* said; const char* channels; } const cases[] = {
        {"", "", 0, "sound: stream 1: Track 1, 1 channel (aac)", "1\n"},
        {"2", "", 0, "sound: stream 2: Track 2, 2 channels (aac)", "2\n"},
        {"2", "--audio-track 1", 0, "sound: stream 1: Track 1, 1 channel", "1\n"},
        {"0", "", 0, "stream 0, is no sound stream of the film; its default is taken\nsound: stream 1", "1\n"},
        {"", "--audio-track 0", 1, "has no sound stream 0; its sound streams are 1, 2", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.options);
        const std::string ini = *c.kept ? "[Films]\n" + film + "=audio-track=" + c.kept + "\n" : "";
        test::WriteBytes(settings + "/plexo/duvix.ini", {ini.begin(), ini.end()});
        std::filesystem::remove(dir.file("out.mkv"));
        const test::ToolRun run = test::RunTool(dir, "export " + film + " " + c.options + " --out " + test::Quoted(dir, "out.mkv"));
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_NE(run.err.find(c.said), std::string::npos) << run.err;
        EXPECT_EQ(test::CommandOutput("ffprobe -v error -select_streams a -show_entries stream=channels -of csv=p=0 " +
                                      test::Quoted(dir, "out.mkv") + " 2>/dev/null"),
                  c.channels);
    }
    previous.empty() ? unsetenv("XDG_CONFIG_HOME") : setenv("XDG_CONFIG_HOME", previous.c_str(), 1);
}

}  // namespace
}  // namespace plexo
