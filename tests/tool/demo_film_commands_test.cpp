#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "support/outside_programs.h"
#include "support/tool_run.h"

namespace plexo {
namespace {

using test::Identify;
using test::RunTool;

class DemoFilm : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(test::HaveTool());
        demo = Q("demo.flm");
        ASSERT_EQ(RunTool(dir, "demo " + demo).status, 0);
    }
    std::string Q(const std::string& name) const { return test::Quoted(dir, name); }
    test::TempDir dir;
    std::string demo;
};

TEST_F(DemoFilm, ConvertsWithTheOptionsAndExitsAsTheLogSays)
{
    const test::ToolRun run = RunTool(dir, "convert flm-bmp " + demo + " --grey --factor 2 --size 100x50");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "start\nOK\nfinish\n");  // no progress bar off a terminal
    EXPECT_EQ(run.out, "replaced: 0\n");
    EXPECT_EQ(Identify(dir.file("demo0023.bmp"), "%w %h %[type]"), "100 50 Grayscale");
    EXPECT_EQ(RunTool(dir, "convert flm-bmp " + demo).out, "replaced: 24\n");
    // The dialog's first-use choices but the factor: quality 95, packed
    // frames, the source's size.
    ASSERT_EQ(RunTool(dir, "convert flm-jpg " + demo).status, 0);
    EXPECT_EQ(Identify(dir.file("demo0000.jpg"), "%Q %w %h"), "95 320 240");
    ASSERT_EQ(RunTool(dir, "convert jpg-flm " + Q("demo0000.jpg")).status, 0);
    EXPECT_EQ(test::ReadBytes(dir.file("demo0.flm")).at(0), 7);
    const test::ToolRun wrongType = RunTool(dir, "convert bmp-flm " + demo);
    EXPECT_EQ(wrongType.status, 1);
    EXPECT_EQ(wrongType.err, "File type incompatible\n");
    EXPECT_EQ(RunTool(dir, "convert jpg-bmp " + Q("none0001.jpg")).err,
              "No film creation: " + dir.file("none0001.jpg") + "\n");
    for (const std::string bad : {"convert flm-png x.flm", "convert flm-bmp x.flm --factor 5",
                                  "convert flm-jpg x.flm --quality 0", "convert flm-jpg x.flm --compress zip",
                                  "convert flm-bmp x.flm --size 322x100", "demo"})
        EXPECT_EQ(RunTool(dir, bad).status, 2) << bad;
}

// The frame at the index, as BMP byte for byte the tool's own raw picture
// (bottom row first, blue green red), as JPEG by the extension.
TEST_F(DemoFilm, FrameSavesThePictureAtTheIndexAsBmpAndJpeg)
{
    ASSERT_EQ(RunTool(dir, "picture " + demo + " --index 5 --colour --raw " + Q("ref.raw")).status, 0);
    const std::vector<uint8_t> ref = test::ReadBytes(dir.file("ref.raw"));
    for (const std::string name : {"f.bmp", "f.JPG"}) {
        const test::ToolRun run = RunTool(dir, "frame " + demo + " --index 5 --out " + Q(name));
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, "320x240\n");
    }
    EXPECT_EQ(Identify(dir.file("f.JPG"), "%m %wx%h"), "JPEG 320x240");
    const std::vector<uint8_t> rgb = test::OutsidePixels(dir.file("f.bmp"), 3);
    ASSERT_EQ(rgb.size(), 320u * 240 * 3);
    ASSERT_EQ(ref.size(), rgb.size());
    for (size_t i = 0; i < rgb.size(); ++i)
        ASSERT_EQ(rgb[i], ref[((239 - i / 960) * 320 + i / 3 % 320) * 3 + 2 - i % 3]) << i;
}

TEST_F(DemoFilm, FrameAndComposeBadUsageAndFailuresLeaveTheOlderFile)
{
    test::WriteBytes(dir.file("old.bmp"), {1, 2, 3});
    const std::string old = " --out " + Q("old.bmp"), frame = "frame " + demo, compose = "compose " + demo + " --mode ";
    for (const auto& [arguments, status] :
         {std::pair{frame, 2}, {frame + " --out " + Q("x.png"), 2}, {frame + " --index -1" + old, 2},
          {frame + " --index 24" + old, 1}, {"frame " + Q("none.flm") + old, 1},
          {frame + " --out " + Q("no/such/folder.bmp"), 1}, {"compose " + demo + old, 2},
          {compose + "sideways" + old, 2}, {compose + "plain --side top" + old, 2},
          {compose + "plain --dist x" + old, 2}, {compose + "plain", 2},
          {"compose " + Q("none.flm") + " --mode plain" + old, 1}, {compose + "plain --index 24" + old, 1},
          {compose + "plain --view 0x4" + old, 1},
          {compose + "red-blue --view 100000x100000" + old, 1}, {compose + "page-flip" + old, 2},
          {compose + "plain --second-out " + Q("b.bmp") + old, 2}})
        EXPECT_EQ(RunTool(dir, arguments).status, status) << arguments;
    // An unknown extension is reported once, by the film chooser.
    const test::ToolRun avi = RunTool(dir, "compose " + Q("x.avi") + " --mode plain" + old);
    EXPECT_EQ(avi.status, 1);
    EXPECT_EQ(avi.err, "File extension is incompatible\n");
    EXPECT_EQ(test::ReadBytes(dir.file("old.bmp")), (std::vector<uint8_t>{1, 2, 3}));
}

// The horizontal shift d in [from, to] for which red at (x, y) best matches
// blue at (x + d, y), over a 17 x 17 patch of a bottom-up RGB-as-read image.
int ChannelShift(const std::string& rgb, int width, int x, int y, int from, int to)
{
    int best = 0;
    long bestCost = LONG_MAX;
    for (int d = from; d <= to; ++d) {
        long cost = 0;
        for (int dy = -8; dy <= 8; ++dy)
            for (int dx = -8; dx <= 8; ++dx) {
                const size_t at = (size_t(y + dy) * size_t(width) + size_t(x + dx)) * 3;
                cost += std::abs(int(uint8_t(rgb[at])) - int(uint8_t(rgb[at + size_t(d) * 3 + 2])));
            }
        if (cost < bestCost) {
            bestCost = cost;
            best = d;
        }
    }
    return best;
}

TEST_F(DemoFilm, TheDemoShowsDepthInRedBlue)
{
    const std::string out = dir.file("rb.bmp");
    ASSERT_EQ(RunTool(dir, "compose " + demo + " --index 10 --mode red-blue --out '" + out + "'").status, 0);
    // -flip puts the bottom row first, as the demo film's rows are counted.
    const std::string rgb = test::CommandOutput("convert '" + out + "' -flip -depth 8 rgb:-");
    ASSERT_EQ(rgb.size(), size_t(320 * 240 * 3));
    // With the default displacement the near box stands out of the screen
    // (blue left of red), the wall lies behind it (blue right of red).
    EXPECT_LE(ChannelShift(rgb, 320, 178, 62, -14, 0), -8);
    const int farShift = ChannelShift(rgb, 320, 100, 220, 0, 10);
    EXPECT_GE(farShift, 4);
    EXPECT_LE(farShift, 8);
}

}  // namespace
}  // namespace plexo
