#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "convert/export_format.h"
#include "convert/stereo_export.h"
#include "platform/log.h"
#include "support/message_capture.h"
#include "support/outside_programs.h"
#include "support/pattern_film.h"
#include "support/tool_run.h"
#include "video/video_fixtures.h"
#include "video/video_formats.h"

namespace plexo::video {
namespace {

constexpr int kFrames = 6;

// Gradients that move with the frame's place, the first eye's half warm and
// the other cool, bottom row first.
PictureBuffer Frame(int width, int height, int place, bool across)
{
    PictureBuffer frame = PictureBuffer::allocate(width, height, 3);
    for (int r = 0; r < height; ++r)
        for (int x = 0; x < width; ++x) {
            const int first = across ? x < width / 2 : r >= height / 2, red = r * 100 / height;
            const uint8_t pixel[] = {uint8_t(first ? 110 : 190), uint8_t(100 + (x * 2 + place * 8) % 100),
                                     uint8_t(first ? 200 - red : 100 + red)};
            std::copy(pixel, pixel + 3, frame.row(r) + x * 3);
        }
    return frame;
}

std::unique_ptr<ExportWriter> Open(const std::string& path, int width, int height, const ExportOptions& options)
{
    const ExportFormat* row = ExportFormatOf(path);
    return row ? row->open({path, width, height, 25, kFrames, &options}) : nullptr;
}

// ffprobe's width, height, rate, decoded frame count and stereo side data.
std::string Probe(const std::string& path)
{
    return test::CommandOutput("ffprobe -v error -count_frames -show_entries stream=width,height,r_frame_rate,"
                               "nb_read_frames:stream_side_data=type -of csv=p=0 '" + path + "'");
}

class VideoExportTest : public testing::Test {
protected:
    static void SetUpTestSuite() { AddVideoFormats(); }
    test::TempDir dir;
};

TEST_F(VideoExportTest, EveryLayoutAndContainerIsMarkedAndDecodesToTheFramesWritten)
{
    using enum VideoLayout;
    struct { const char* name; VideoLayout layout; int width, height; const char* probe; } const cases[] = {
        {"sbs.mp4", SideBySide, 128, 48, "128,48,25/1,6,side by side"},
        {"sbs-half.mkv", SideBySideHalf, 64, 48, "64,48,25/1,6,side by side"},
        {"tb.mkv", TopBottom, 64, 96, "64,96,25/1,6,top and bottom"},
        {"tb-half.mp4", TopBottomHalf, 64, 48, "64,48,25/1,6,top and bottom"},
        {"odd.mkv", SideBySide, 127, 47, "128,48,25/1,6,side by side"},
        {"hd.mp4", SideBySideHalf, 1280, 720, "1280,720,25/1,6,side by side"},  // BT.709
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.file(c.name);
        ExportOptions options;
        options.layout = c.layout;
        const bool across = c.layout == SideBySide || c.layout == SideBySideHalf;
        std::unique_ptr<ExportWriter> writer = Open(path, c.width, c.height, options);
        ASSERT_TRUE(writer);
        for (int i = 0; i < kFrames; ++i) {
            const PictureBuffer frame = Frame(c.width, c.height, i, across);
            // Every other frame seen top row first, as a decoded picture is.
            ASSERT_TRUE(writer->Put(i % 2 ? frame.view()
                                          : Picture::TopDown(frame.bytes.get() + (c.height - 1) * frame.rowBytes(),
                                                             c.width, c.height, 3, -ptrdiff_t(frame.rowBytes())),
                                    i));
        }
        ASSERT_TRUE(writer->Finish());
        EXPECT_EQ(Probe(path), std::string(c.probe) + "\n\n");
        // Each decoded frame is the frame written; 4:2:0 spreads colour into
        // an odd frame's extra column and row, but their light is black, far
        // below the picture's.
        const int width = (c.width + 1) & ~1, height = (c.height + 1) & ~1;
        const std::vector<uint8_t> decoded = test::FfmpegFrames(path);
        ASSERT_EQ(decoded.size(), size_t(width) * size_t(height) * 3 * kFrames);
        for (int i = 0; i < kFrames; ++i) {
            const PictureBuffer frame = Frame(c.width, c.height, i, across);
            double difference = 0, padding = 0;
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x) {
                    const size_t at = (size_t(i) * size_t(height) + size_t(y)) * size_t(width) + size_t(x);
                    const uint8_t* p = &decoded[at * 3];
                    if (x >= c.width || y >= c.height)
                        padding = std::max(padding, 0.114 * p[0] + 0.587 * p[1] + 0.299 * p[2]);
                    else
                        for (int k = 0; k < 3; ++k)
                            difference += std::abs(p[k] - frame.view().row(c.height - 1 - y)[x * 3 + k]);
                }
            EXPECT_LT(difference / double(c.width * c.height * 3), 3.0) << "frame " << i;
            EXPECT_LT(padding, 40) << "frame " << i;
        }
    }
}

TEST_F(VideoExportTest, AnUnfinishedOrRefusedExportLeavesTheOlderFileAndNoOther)
{
    const std::string path = dir.file("film.mp4");
    test::WriteBytes(path, {'o', 'l', 'd'});
    ExportOptions options;
    {
        std::unique_ptr<ExportWriter> writer = Open(path, 64, 48, options);
        ASSERT_TRUE(writer);
        for (int i = 0; i < kFrames; ++i)
            ASSERT_TRUE(writer->Put(Frame(64, 48, i, true).view(), i));
    }
    for (const auto& [preset, crf, named] : {std::tuple{"warp", 18, "\"warp\""}, std::tuple{"medium", 52, "52"}}) {
        platform::ClearLog();
        std::tie(options.preset, options.crf) = std::tuple{preset, crf};
        EXPECT_FALSE(Open(path, 64, 48, options));
        const std::string log = platform::LogText();
        EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
        EXPECT_NE(log.find(path + ": "), std::string::npos) << log;
        EXPECT_NE(log.find(named), std::string::npos) << log;
    }
    // A rate no video is played at, from the dialog's Frames/sec as from
    // any caller, is refused before a file is made.
    test::PatternFilm film{2, {8, 8}};
    test::MessageCapture capture;
    options = ExportOptions{};
    std::tie(options.fps, options.preset) = std::tuple{1e6, "ultrafast"};
    EXPECT_EQ(Export(film, path, options), ExportResult::UnknownFormat);
    EXPECT_EQ(capture.messages, std::vector<std::string>{path + ": 1e+06 frames a second is outside 0.01 to 1000"});
    EXPECT_EQ(test::ReadBytes(path), (std::vector<uint8_t>{'o', 'l', 'd'}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST_F(VideoExportTest, PlexoToolExportsEveryFrameOfAFilmAsAMarkedVideo)
{
    if (!test::HaveTool())
        GTEST_SKIP() << "PLEXO_TOOL names no program";
    ASSERT_EQ(test::RunTool(dir, "demo " + test::Quoted(dir, "demo.flm")).status, 0);
    const test::ToolRun run = test::RunTool(dir, "export " + test::Quoted(dir, "demo.flm") +
                                                     " --layout tb-half --fps 30 --preset ultrafast --out " +
                                                     test::Quoted(dir, "demo.mkv"));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, dir.file("demo.mkv") + "\n");
    EXPECT_EQ(Probe(dir.file("demo.mkv")), "320,240,30/1,24,top and bottom\n\n");
}

// On a terminal the tool's bar shows from before the first frame (which may
// be long in coming) to the last.
TEST_F(VideoExportTest, PlexoToolShowsItsProgressOnATerminal)
{
    if (!test::HaveTool() || !test::HaveProgram("script"))
        GTEST_SKIP() << "PLEXO_TOOL names no program, or no script to give it a terminal";
    ASSERT_TRUE(test::MakeVideo(dir, "clip.mkv", "-c:v libx264"));
    const std::string shown = test::CommandOutput(
        "script -qec \"" + std::string(std::getenv("PLEXO_TOOL")) + " export " + test::Quoted(dir, "clip.mkv") +
        " --preset ultrafast --out " + test::Quoted(dir, "out.mkv") + "\" /dev/null");
    const size_t first = shown.find("] 0/10  -- fps  --:-- left");
    EXPECT_NE(first, std::string::npos) << shown;
    EXPECT_LT(first, shown.find("start")) << shown;
    EXPECT_NE(shown.find("] 10/10  "), std::string::npos) << shown;
}

}  // namespace
}  // namespace plexo::video
