#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "convert/export_format.h"
#include "platform/log.h"
#include "support/outside_programs.h"
#include "support/temp_dir.h"
#include "support/tool_run.h"
#include "video/video_fixtures.h"
#include "video/video_formats.h"

namespace plexo::video {
namespace {

class VideoExportTest : public testing::Test {
protected:
    static void SetUpTestSuite() { AddVideoFormats(); }
    void SetUp() override { platform::ClearLog(); }

    // Frames of gentle gradients that move with the frame's place, the left
    // (or top) half a warm picture and the other a cool one, bottom row first.
    static PictureBuffer Frame(int width, int height, int place, bool across)
    {
        PictureBuffer frame = PictureBuffer::allocate(width, height, 3);
        for (int r = 0; r < height; ++r)
            for (int x = 0; x < width; ++x) {
                const bool first = across ? x < width / 2 : r >= height / 2;
                uint8_t* p = frame.row(r) + size_t(x) * 3;
                p[0] = uint8_t(first ? 110 : 190);
                p[1] = uint8_t(100 + (x * 2 + place * 8) % 100);
                p[2] = uint8_t(first ? 200 - r * 100 / height : 100 + r * 100 / height);
            }
        return frame;
    }

    std::unique_ptr<ExportWriter> Open(const std::string& path, int width, int height, const ExportOptions& options)
    {
        const ExportFormat* row = ExportFormatOf(path);
        if (!row)
            return nullptr;
        return row->open({path, width, height, 25, kFrames, &options});
    }

    static constexpr int kFrames = 6;
    test::TempDir dir;
};

struct LayoutCase {
    const char* name;
    VideoLayout layout;
    PresentationId presentation;
    int width, height;
    const char* stereo;  // ffprobe's name of the layout
};

TEST_F(VideoExportTest, EveryLayoutAndContainerIsMarkedAndDecodesToTheFramesWritten)
{
    const LayoutCase cases[] = {
        {"sbs.mp4", VideoLayout::SideBySide, PresentationId::SideBySide, 128, 48, "side by side"},
        {"sbs-half.mkv", VideoLayout::SideBySideHalf, PresentationId::SideBySideHalf, 64, 48, "side by side"},
        {"tb.mkv", VideoLayout::TopBottom, PresentationId::TopBottom, 64, 96, "top and bottom"},
        {"tb-half.mp4", VideoLayout::TopBottomHalf, PresentationId::TopBottomHalf, 64, 48, "top and bottom"},
        {"odd.mkv", VideoLayout::SideBySide, PresentationId::SideBySide, 127, 47, "side by side"},
        // HD frames take the BT.709 matrix.
        {"hd.mp4", VideoLayout::SideBySideHalf, PresentationId::SideBySideHalf, 1280, 720, "side by side"},
    };
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.file(c.name);
        ExportOptions options;
        options.layout = c.layout;
        const ExportFormat* row = ExportFormatOf(path);
        ASSERT_TRUE(row);
        EXPECT_TRUE(row->oneFile);
        const bool across = c.layout == VideoLayout::SideBySide || c.layout == VideoLayout::SideBySideHalf;
        EXPECT_EQ(row->presentation(options), c.presentation);
        std::vector<PictureBuffer> frames;
        std::unique_ptr<ExportWriter> writer = Open(path, c.width, c.height, options);
        ASSERT_TRUE(writer);
        for (int i = 0; i < kFrames; ++i) {
            frames.push_back(Frame(c.width, c.height, i, across));
            // A top-down view of the frame, as a decoded picture is handed.
            const Picture view = i % 2 ? frames.back().view()
                                        : Picture::TopDown(frames.back().row(c.height - 1), c.width, c.height, 3,
                                                           -ptrdiff_t(frames.back().rowBytes()));
            ASSERT_TRUE(writer->Put(view, i));
        }
        ASSERT_TRUE(writer->Finish());
        EXPECT_EQ(test::CommandOutput("ffprobe -v error -count_frames -show_entries "
                                      "stream=width,height,nb_read_frames:stream_side_data=type -of csv=p=0 '" +
                                      path + "'"),
                  std::to_string((c.width + 1) & ~1) + "," + std::to_string((c.height + 1) & ~1) + "," +
                      std::to_string(kFrames) + "," + c.stereo + "\n\n");
        // Each decoded frame is the frame written; 4:2:0 spreads colour into
        // an odd frame's extra column and row, but their light is black.
        const int width = (c.width + 1) & ~1, height = (c.height + 1) & ~1;
        const std::vector<uint8_t> decoded = test::FfmpegFrames(path);
        const std::string light =
            test::CommandOutput("ffmpeg -v error -i '" + path + "' -f rawvideo -pix_fmt gray -");
        const size_t area = size_t(width) * size_t(height);
        ASSERT_EQ(decoded.size(), area * 3 * kFrames);
        ASSERT_EQ(light.size(), area * kFrames);
        for (int i = 0; i < kFrames; ++i) {
            const uint8_t* top = decoded.data() + size_t(i) * area * 3;
            double difference = 0;
            int padding = 0;
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x) {
                    const size_t at = size_t(y) * size_t(width) + size_t(x);
                    if (x >= c.width || y >= c.height)
                        padding = std::max(padding, int(uint8_t(light[size_t(i) * area + at])));
                    else
                        for (int k = 0; k < 3; ++k)
                            difference += std::abs(top[at * 3 + size_t(k)] -
                                                   frames[size_t(i)].row(c.height - 1 - y)[x * 3 + k]);
                }
            EXPECT_LT(difference / double(c.width * c.height * 3), 3.0) << "frame " << i;
            EXPECT_LT(padding, 24) << "frame " << i;
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
    struct Refusal {
        const char* preset;
        int crf;
        const char* named;
    };
    for (const Refusal& r : {Refusal{"warp", 18, "\"warp\""}, Refusal{"medium", 52, "52"}}) {
        platform::ClearLog();
        options.preset = r.preset;
        options.crf = r.crf;
        EXPECT_FALSE(Open(path, 64, 48, options));
        const std::string log = platform::LogText();
        EXPECT_NE(log.find(path), std::string::npos) << log;
        EXPECT_NE(log.find(r.named), std::string::npos) << log;
        EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
    }
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
    EXPECT_EQ(test::CommandOutput("ffprobe -v error -count_frames -show_entries "
                                  "stream=width,height,r_frame_rate,nb_read_frames:stream_side_data=type -of csv=p=0 '" +
                                  dir.file("demo.mkv") + "'"),
              "320,240,30/1,24,top and bottom\n\n");
}

}  // namespace
}  // namespace plexo::video
