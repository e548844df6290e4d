#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "convert/outside_readers.h"
#include "support/tool_run.h"

namespace plexo {
namespace {

// Frames of four blocks of different colours (blue, green, red of the
// bottom-left, bottom-right, top-left, top-right block), so that a flipped
// row order or exchanged colour bytes shows; frame k adds 20k to every byte.
constexpr int kW = 32, kH = 16;
constexpr uint8_t kBlocks[4][3] = {{160, 30, 30}, {30, 160, 30}, {30, 30, 160}, {170, 170, 40}};

uint8_t Byte(int frame, int x, int y, int c)
{
    return uint8_t(kBlocks[(y >= kH / 2) * 2 + (x >= kW / 2)][c] + 20 * frame);
}

class FrameCommand : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(test::HaveTool());
        std::vector<uint8_t> b;
        for (uint32_t v : {3u, 3u, uint32_t(kW), uint32_t(kH)})
            test::PutU32(b, v);
        for (int k = 0; k < 3; ++k) {
            test::PutU16(b, uint32_t(k));
            for (int y = 0; y < kH; ++y)
                for (int x = 0; x < kW; ++x)
                    for (int c = 0; c < 3; ++c)
                        b.push_back(Byte(k, x, y, c));
        }
        test::WriteBytes(dir.file("film.flm"), b);
        test::WriteBytes(dir.file("old.bmp"), {1, 2, 3});
    }
    test::ToolRun Frame(const std::string& arguments)
    {
        return test::RunTool(dir, "frame " + test::Quoted(dir, "film.flm") + " " + arguments);
    }
    test::TempDir dir;
};

// ImageMagick's reading of the file: its format and size, and its pixels
// compared block by block with the frame, away from the block edges.
TEST_F(FrameCommand, SavesTheFrameAtTheIndexAsBmpAndJpeg)
{
    for (const auto& [name, index, identity, tolerance] :
         {std::tuple{"f.bmp", 2, "BMP3 32x16", 0}, {"f.JPG", 0, "JPEG 32x16", 12}}) {
        const test::ToolRun run = Frame("--index " + std::to_string(index) + " --out " + test::Quoted(dir, name));
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, "32x16\n");
        EXPECT_EQ(test::Identify(dir.file(name), "%m %wx%h"), identity);
        const std::vector<uint8_t> rgb = test::OutsidePixels(dir.file(name), 3);
        ASSERT_EQ(rgb.size(), size_t(kW * kH * 3));
        for (int y = 2; y < kH; y += 8)
            for (int x = 4; x < kW; x += 16)
                for (int c = 0; c < 3; ++c)
                    EXPECT_NEAR(rgb[size_t(((kH - 1 - y) * kW + x) * 3 + 2 - c)], Byte(index, x, y, c), tolerance)
                        << name << " " << x << "," << y << " byte " << c;
    }
}

TEST_F(FrameCommand, BadUsageAndFailuresLeaveTheOlderFile)
{
    const std::string old = test::Quoted(dir, "old.bmp");
    for (const auto& [arguments, status] :
         {std::pair{std::string(), 2}, {"--out " + test::Quoted(dir, "x.png"), 2}, {"--index -1 --out " + old, 2},
          {"--index 3 --out " + old, 1}, {"--out " + test::Quoted(dir, "no/such/folder.bmp"), 1}})
        EXPECT_EQ(Frame(arguments).status, status) << arguments;
    EXPECT_EQ(test::RunTool(dir, "frame " + test::Quoted(dir, "missing.flm") + " --out " + old).status, 1);
    EXPECT_EQ(test::ReadBytes(dir.file("old.bmp")), (std::vector<uint8_t>{1, 2, 3}));
}

}  // namespace
}  // namespace plexo
