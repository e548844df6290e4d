#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "film/bmp_film.h"
#include "support/fixtures.h"
#include "support/temp_dir.h"
#include "support/tool_run.h"

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

// The written frame as a colour picture, read back through the film's own
// bitmap reader.
struct Bitmap {
    PictureBuffer picture;
    int width = 0;
    int height = 0;
    const uint8_t* at(int x, int y) { return picture.row(y) + 3 * x; }
};
std::optional<Bitmap> ReadBitmap(const std::string& path)
{
    auto file = InputFile::Open(path);
    CDIBitmap bitmap;
    if (!file || !bitmap.Load(*file))
        return std::nullopt;
    Bitmap b{BitmapPicture(bitmap, Tone::Colour)};
    b.width = b.picture.width;
    b.height = b.picture.height;
    return b;
}

class ComposeTool : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!test::HaveTool())
            GTEST_SKIP() << "PLEXO_TOOL is not set";
        WriteSequence(dir, "take", 3, 8, 4, 0);
    }

    int Tool(const std::string& arguments) { return test::RunTool(dir, "compose " + arguments).status; }

    TempDir dir;
};

TEST_F(ComposeTool, RedBlueHoldsTheTwoGreyPicturesMovedByTheirDisplacements)
{
    const std::string out = dir.file("rb.bmp");
    ASSERT_EQ(Tool(dir.file("take0001.bmp") + " --index 1 --shift 1 --dist 2 --mode red-blue --out " + out), 0);
    auto bmp = ReadBitmap(out);
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
    auto bmp = ReadBitmap(out);
    ASSERT_TRUE(bmp);
    // The composite is 6 x 6 and fills the 6-wide view; the frame is padded to 8.
    ASSERT_EQ(bmp->width, 8);
    ASSERT_EQ(bmp->height, 6);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(bmp->at(x, y)[1], x >= 6 ? 0 : y < 2 ? Grey(5, x, y) : Grey(0, x, y - 2)) << x << "," << y;
}

TEST_F(ComposeTool, InterlacedEyesSwapWithTheParityOfTheTop)
{
    for (const int top : {0, 1}) {
        const std::string out = dir.file("il" + std::to_string(top) + ".bmp");
        ASSERT_EQ(Tool(dir.file("take0001.bmp") + " --shift 2 --dist 0 --mode interlaced --view 8x4 --top " +
                       std::to_string(top) + " --out " + out),
                  0);
        auto bmp = ReadBitmap(out);
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
    // An unknown extension is reported once, by the film chooser.
    const test::ToolRun avi = test::RunTool(dir, "compose " + dir.file("x.avi") + " --mode plain --out " + out);
    EXPECT_EQ(avi.status, 1);
    EXPECT_EQ(avi.err, "File extension is incompatible\n");
    EXPECT_EQ(Tool(film + " --mode plain --index 3 --out " + out), 1);
    EXPECT_EQ(Tool(film + " --mode plain --view 0x4 --out " + out), 1);
    EXPECT_EQ(Tool(film + " --mode red-blue --view 100000x100000 --out " + out), 1);
    EXPECT_FALSE(std::filesystem::exists(out));
}

}  // namespace
}  // namespace plexo
