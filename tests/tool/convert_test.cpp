#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "convert/outside_readers.h"
#include "support/tool_run.h"

namespace plexo {
namespace {

using test::Identify;
using test::RunTool;

class ToolConvert : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(test::HaveTool());
        demo = test::Quoted(dir, "demo.flm");
        ASSERT_EQ(RunTool(dir, "demo " + demo).status, 0);
    }
    test::TempDir dir;
    std::string demo;
};

TEST_F(ToolConvert, ConvertsWithTheOptionsAndExitsAsTheLogSays)
{
    const test::ToolRun run = RunTool(dir, "convert flm-bmp " + demo + " --grey --factor 2 --size 100x50");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "start\nOK\nfinish\n");  // no progress bar off a terminal
    EXPECT_EQ(Identify(dir.file("demo0023.bmp"), "%w %h %[type]"), "100 50 Grayscale");
    const test::ToolRun wrongType = RunTool(dir, "convert bmp-flm " + demo);
    EXPECT_EQ(wrongType.status, 1);
    EXPECT_EQ(wrongType.err, "File type incompatible\n");
    EXPECT_EQ(RunTool(dir, "convert jpg-bmp " + test::Quoted(dir, "none0001.jpg")).err, "No film creation\n");
    for (const std::string bad : {"convert flm-png x.flm", "convert flm-bmp x.flm --factor 5",
                                  "convert flm-jpg x.flm --quality 0", "convert flm-jpg x.flm --compress zip",
                                  "convert flm-bmp x.flm --size 322x100", "demo"})
        EXPECT_EQ(RunTool(dir, bad).status, 2) << bad;
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

TEST_F(ToolConvert, TheDemoShowsDepthInRedBlue)
{
    const std::string out = dir.file("rb.bmp");
    ASSERT_EQ(RunTool(dir, "compose " + demo + " --index 10 --mode red-blue --out '" + out + "'").status, 0);
    // -flip puts the bottom row first, as the demo film's rows are counted.
    const std::string rgb = test::Run("convert '" + out + "' -flip -depth 8 rgb:-");
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
