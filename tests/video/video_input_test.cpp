#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <tuple>

#include "support/outside_programs.h"
#include "support/tool_run.h"
#include "video/video_file.h"
#include "video/video_fixtures.h"

namespace plexo::video {
namespace {

class VideoInputTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (!test::HaveTool())
            GTEST_SKIP() << "PLEXO_TOOL is not set";
    }
    test::TempDir dir;
};

// A playlist under a video's name is refused by every command of the tool
// (which opens films as the viewer does), and the file it names is never
// opened: the kernel's own record of opens (inotify) is the witness. Export
// leaves it whole.
TEST_F(VideoInputTest, APlaylistNeverOpensTheFilesItNames)
{
    ASSERT_TRUE(test::MakeVideo(dir, "private.mp4", "-c:v libx264"));
    std::ofstream(dir.file("hls.mp4")) << "#EXTM3U\n#EXT-X-TARGETDURATION:10\n#EXTINF:10,\n"
                                       << dir.file("private.mp4") << "\n#EXT-X-ENDLIST\n";
    std::ofstream(dir.file("list.mkv")) << "ffconcat version 1.0\nfile 'private.mp4'\n";
    const std::vector<uint8_t> kept = test::ReadBytes(dir.file("private.mp4"));
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(::inotify_add_watch(watch, dir.file("private.mp4").c_str(), IN_OPEN), 0);

    for (const char* name : {"hls.mp4", "list.mkv"}) {
        const std::string refusal = dir.file(name) + ": not a video this program can show: a playlist";
        const std::string film = test::Quoted(dir, name);
        const std::string overwrite = "export " + film + " --out " + test::Quoted(dir, "private.mp4");
        for (const std::string& command : {"info " + film, "convert video-bmp " + film, overwrite}) {
            const test::ToolRun run = test::RunTool(dir, command);
            EXPECT_TRUE(run.status != 0 && run.err.find(refusal) != std::string::npos) << command << ": " << run.err;
        }
    }
    char events[4096];
    EXPECT_LT(::read(watch, events, sizeof events), 0) << "the named file was opened";
    ::close(watch);
    EXPECT_EQ(test::ReadBytes(dir.file("private.mp4")), kept);
}

// Only a regular file is read, opened without blocking: the video layer's
// own opening refuses a FIFO at once, and a device that never ends.
TEST_F(VideoInputTest, OnlyARegularFileIsRead)
{
    ASSERT_EQ(::mkfifo(dir.file("fifo.mp4").c_str(), 0600), 0);
    for (const std::string& path : {std::string("/dev/zero"), dir.file("fifo.mp4")}) {
        std::string why;
        EXPECT_FALSE(VideoFile::Open(path, why));
        EXPECT_EQ(why, "not a regular file") << path;
    }
}

// An MP4 whose track header's matrix mirrors is shown as the ffmpeg
// program's filters show the upright frame: mirrored, then turned.
TEST_F(VideoInputTest, MirroredMatricesAreMirroredThenTurned)
{
    ASSERT_TRUE(test::MakeVideo(dir, "upright.mp4", "-c:v libx264"));
    std::vector<uint8_t> mp4 = test::ReadBytes(dir.file("upright.mp4"));
    const auto tkhd = std::search(mp4.begin(), mp4.end(), std::begin("tkhd"), std::end("tkhd") - 1);
    ASSERT_NE(tkhd, mp4.end());
    for (const auto& [a, b, c, d, filter] : {std::tuple{-1, 0, 0, 1, "hflip"}, {1, 0, 0, -1, "vflip"},
                                             {0, 1, 1, 0, "transpose=cclock_flip"}}) {
        // The matrix's a, b, c and d in 16.16, after the version, times,
        // track, duration, layer, group and volume.
        for (const auto& [at, value] : {std::pair{44, a}, {48, b}, {56, c}, {60, d}})
            for (int i = 0; i < 4; ++i)
                tkhd[at + i] = uint8_t(uint32_t(value * 65536) >> (24 - 8 * i));
        test::WriteBytes(dir.file("shown.mp4"), mp4);
        ASSERT_TRUE(test::RunCommand("ffmpeg -v error -y -noautorotate -i " + test::Quoted(dir, "upright.mp4") +
                                     " -frames:v 1 -vf " + filter + " " + test::Quoted(dir, "theirs.bmp")));
        const std::string ours = test::Quoted(dir, "ours.bmp");
        ASSERT_EQ(test::RunTool(dir, "frame " + test::Quoted(dir, "shown.mp4") + " --out " + ours).status, 0);
        // Pixels apart by more than the colour conversions' rounding.
        EXPECT_EQ(test::CommandOutput("compare -metric AE -fuzz 10% " + ours + " " + test::Quoted(dir, "theirs.bmp") +
                                      " null: 2>&1"), "0") << filter;
    }
}

}  // namespace
}  // namespace plexo::video
