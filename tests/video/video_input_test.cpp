#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>

#include "film/open_film.h"
#include "support/message_capture.h"
#include "support/tool_run.h"
#include "video/video_file.h"
#include "video/video_fixtures.h"
#include "video/video_formats.h"

namespace plexo::video {
namespace {

class VideoInputTest : public testing::Test {
protected:
    static void SetUpTestSuite() { AddVideoFormats(); }
    test::TempDir dir;
};

// A playlist under a video's name is refused, by the viewer's open and by
// every command of the tool, and the file it names is never opened: the
// kernel's own record of opens (inotify) is the witness. Export leaves it
// whole.
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
        const test::MessageCapture messages;
        EXPECT_FALSE(OpenFilmByExtension(dir.file(name)));
        EXPECT_EQ(messages.messages, std::vector<std::string>{refusal});
        if (!test::HaveTool())
            continue;
        const std::string film = test::Quoted(dir, name);
        const std::string overwrite = "export " + film + " --out " + test::Quoted(dir, "private.mp4");
        for (const std::string& command : {"info " + film, "convert video-bmp " + film, overwrite}) {
            const test::ToolRun run = test::RunTool(dir, command);
            EXPECT_NE(run.status, 0) << command;
            EXPECT_NE(run.err.find(refusal), std::string::npos) << command << ": " << run.err;
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

}  // namespace
}  // namespace plexo::video
