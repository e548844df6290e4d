#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "support/fixtures.h"
#include "support/temp_dir.h"

namespace plexo {
namespace {

using test::TempDir;

// Grey value of pixel (x, y) of frame k in the sequences below; stored with
// equal red, green and blue so that every grey conversion gives it back.
uint8_t Grey(int frame, int x, int y) { return uint8_t(10 + 40 * frame + 4 * y + x); }

void WriteSequence(const TempDir& dir, const std::string& stem, int frames, int width, int height, int firstFrame)
{
    for (int k = 0; k < frames; ++k) {
        test::BmpSpec spec;
        spec.width = width;
        spec.height = height;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                spec.pixels.insert(spec.pixels.end(), 3, Grey(firstFrame + k, x, y));
        char name[64];
        std::snprintf(name, sizeof name, "%s%04d.bmp", stem.c_str(), k + 1);
        test::WriteBytes(dir.file(name), test::MakeBmpBytes(spec));
    }
}

int Tool(const std::string& arguments)
{
    const char* tool = std::getenv("PLEXO_TOOL");
    if (!tool)
        return -1;
    const int status = std::system((std::string(tool) + " compose " + arguments + " >/dev/null 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

struct Bitmap {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;  // bottom row first, unpadded
    const uint8_t* at(int x, int y) const { return &pixels[(size_t(y) * size_t(width) + size_t(x)) * 3]; }
};

uint32_t U32(const std::vector<uint8_t>& b, size_t at)
{
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

std::optional<Bitmap> ReadBitmap(const std::string& path)
{
    const std::vector<uint8_t> b = test::ReadBytes(path);
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M' || b[28] != 24)
        return std::nullopt;
    Bitmap bmp{int(U32(b, 18)), int(U32(b, 22)), {}};
    const size_t offset = U32(b, 10);
    const size_t stride = (size_t(bmp.width) * 3 + 3) / 4 * 4;
    if (bmp.width <= 0 || bmp.height <= 0 || offset + stride * size_t(bmp.height) > b.size())
        return std::nullopt;
    for (int y = 0; y < bmp.height; ++y) {
        const auto row = b.begin() + std::ptrdiff_t(offset + size_t(y) * stride);
        bmp.pixels.insert(bmp.pixels.end(), row, row + std::ptrdiff_t(bmp.width) * 3);
    }
    return bmp;
}

class ComposeTool : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!std::getenv("PLEXO_TOOL"))
            GTEST_SKIP() << "PLEXO_TOOL is not set";
        WriteSequence(dir, "take", 3, 8, 4, 0);
    }

    TempDir dir;
};

TEST_F(ComposeTool, RedBlueHoldsTheTwoGreyPicturesMovedByTheirDisplacements)
{
    const std::string out = dir.file("rb.bmp");
    ASSERT_EQ(Tool(dir.file("take0001.bmp") + " --index 1 --shift 1 --dist 2 --mode red-blue --out " + out), 0);
    const auto bmp = ReadBitmap(out);
    ASSERT_TRUE(bmp);
    ASSERT_EQ(bmp->width, 8);
    ASSERT_EQ(bmp->height, 4);
    // D = 2: the current frame (1) moves trunc(2/2) - 2 = -1 columns, its
    // partner (2) +2 columns.
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) {
            const uint8_t* px = bmp->at(x, y);
            EXPECT_EQ(px[2], x <= 6 ? Grey(1, x + 1, y) : 0) << x << "," << y;
            EXPECT_EQ(px[1], 0) << x << "," << y;
            EXPECT_EQ(px[0], x >= 2 ? Grey(2, x - 2, y) : 0) << x << "," << y;
        }
}

TEST_F(ComposeTool, SecondFilmBelowGivesAStackedPlainPicture)
{
    WriteSequence(dir, "shot", 2, 6, 2, 5);
    const std::string out = dir.file("pair.bmp");
    ASSERT_EQ(Tool(dir.file("take0002.bmp") + " --second " + dir.file("shot0001.bmp") +
                   " --side bottom --mode plain --out " + out),
              0);
    const auto bmp = ReadBitmap(out);
    ASSERT_TRUE(bmp);
    // The composite is 6 x 6 and fills the 6-wide view; the frame is padded to 8.
    ASSERT_EQ(bmp->width, 8);
    ASSERT_EQ(bmp->height, 6);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x) {
            const int cx = x;
            const uint8_t want = cx < 0 || cx >= 6 ? 0 : y < 2 ? Grey(5, cx, y) : Grey(0, cx, y - 2);
            EXPECT_EQ(bmp->at(x, y)[1], want) << x << "," << y;
        }
}

TEST_F(ComposeTool, InterlacedEyesSwapWithTheParityOfTheTop)
{
    for (const int top : {0, 1}) {
        const std::string out = dir.file("il" + std::to_string(top) + ".bmp");
        ASSERT_EQ(Tool(dir.file("take0001.bmp") + " --shift 2 --dist 0 --mode interlaced --view 8x4 --top " +
                       std::to_string(top) + " --out " + out),
                  0);
        const auto bmp = ReadBitmap(out);
        ASSERT_TRUE(bmp);
        const int evenFrame = top == 0 ? 2 : 0;
        EXPECT_EQ(bmp->at(3, 0)[0], Grey(evenFrame, 3, 0));
        EXPECT_EQ(bmp->at(3, 1)[0], Grey(2 - evenFrame, 3, 1));
    }
}

TEST_F(ComposeTool, BadUsageAndFailuresWriteNothing)
{
    const std::string film = dir.file("take0001.bmp");
    const std::string out = dir.file("out.bmp");
    for (const std::string& bad : std::vector<std::string>{" --out " + out, " --mode sideways --out " + out,
                                  " --mode plain --side top --out " + out,
                                  " --mode plain --second " + film + " --side diagonal --out " + out,
                                  " --mode plain --index -1 --out " + out, " --mode plain --dist x --out " + out,
                                  " --mode plain --colour --out " + out, std::string(" --mode plain")})
        EXPECT_EQ(Tool(film + bad), 2) << bad;
    EXPECT_EQ(Tool(dir.file("none0001.bmp") + " --mode plain --out " + out), 1);
    EXPECT_EQ(Tool(film + " --mode plain --index 3 --out " + out), 1);
    EXPECT_EQ(Tool(film + " --mode plain --view 0x4 --out " + out), 1);
    EXPECT_EQ(Tool(film + " --mode red-blue --view 100000x100000 --out " + out), 1);
    EXPECT_FALSE(std::filesystem::exists(out));
}

}  // namespace
}  // namespace plexo
