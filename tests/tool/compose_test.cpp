#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "convert/outside_readers.h"
#include "support/fixtures.h"
#include "support/tool_run.h"

namespace plexo {
namespace {

// Grey value of pixel (x, y), rows from the bottom, of take0001 … take0003
// (frames 0, 1, 2); stored with equal red, green and blue so that every grey
// conversion gives it back.
uint8_t Grey(int frame, int x, int y) { return uint8_t(10 + 40 * frame + 4 * y + x); }

class ComposeTool : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(test::HaveTool());
        for (int k = 0; k < 3; ++k) {
            test::BmpSpec spec{.width = 8, .height = 4};
            for (int y = 0; y < 4; ++y)
                for (int x = 0; x < 8; ++x)
                    spec.pixels.insert(spec.pixels.end(), 3, Grey(k, x, y));
            test::WriteBytes(dir.file("take000" + std::to_string(k + 1) + ".bmp"), test::MakeBmpBytes(spec));
        }
    }
    int Tool(const std::string& arguments) { return test::RunTool(dir, "compose " + arguments).status; }

    test::TempDir dir;
    const std::string film = test::Quoted(dir, "take0001.bmp"), out = test::Quoted(dir, "out.bmp");
};

TEST_F(ComposeTool, RedBlueHoldsTheTwoGreyPicturesMovedByTheirDisplacements)
{
    ASSERT_EQ(Tool(film + " --index 1 --shift 1 --dist 2 --mode red-blue --out " + out), 0);
    const std::vector<uint8_t> rgb = test::OutsidePixels(dir.file("out.bmp"), 3);
    ASSERT_EQ(rgb.size(), 8u * 4 * 3);
    // D = 2: the current frame (1) moves trunc(2/2) - 2 = -1 columns, its
    // partner (2) +2 columns.
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) {
            const uint8_t* px = &rgb[size_t(((3 - y) * 8 + x) * 3)];
            EXPECT_EQ(std::vector<int>(px, px + 3), (std::vector<int>{x <= 6 ? Grey(1, x + 1, y) : 0, 0,
                                                                       x >= 2 ? Grey(2, x - 2, y) : 0}))
                << x << "," << y;
        }
}

TEST_F(ComposeTool, BadUsageAndFailuresWriteNothing)
{
    for (const auto& [arguments, status] :
         {std::pair{film + " --out " + out, 2}, {film + " --mode sideways --out " + out, 2},
          {film + " --mode plain --side top --out " + out, 2}, {film + " --mode plain --dist x --out " + out, 2},
          {film + " --mode plain", 2}, {test::Quoted(dir, "none0001.bmp") + " --mode plain --out " + out, 1},
          {film + " --mode plain --index 3 --out " + out, 1}, {film + " --mode plain --view 0x4 --out " + out, 1},
          {film + " --mode red-blue --view 100000x100000 --out " + out, 1}})
        EXPECT_EQ(Tool(arguments), status) << arguments;
    // An unknown extension is reported once, by the film chooser.
    const test::ToolRun avi =
        test::RunTool(dir, "compose " + test::Quoted(dir, "x.avi") + " --mode plain --out " + out);
    EXPECT_EQ(avi.status, 1);
    EXPECT_EQ(avi.err, "File extension is incompatible\n");
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.bmp")));
}

}  // namespace
}  // namespace plexo
