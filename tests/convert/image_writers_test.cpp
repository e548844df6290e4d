#include <gtest/gtest.h>

#include "convert/frame_writers.h"
#include "film/factories.h"
#include "support/outside_programs.h"
#include "scripted_film.h"
#include "support/temp_dir.h"

namespace plexo {
namespace {

using test::Identify;
using test::OutsidePixels;
using test::ScriptedFilm;
using test::ScriptedValue;

// The sizes written from one 322 x 240 frame: BMP output, then JPEG and .flm
// output, as "WxH". BMP drops the columns beyond a multiple of 4 only when
// nothing else is cut.
struct SizeCase {
    int factor, fixedWidth, fixedHeight;
    std::string bmp, others;
};

class FrameSize : public testing::TestWithParam<SizeCase> {};

TEST_P(FrameSize, FollowsTheFactorTheFixedSizeAndTheBmpRowRule)
{
    const SizeCase c = GetParam();
    ScriptedFilm film({{0, 322, 240}});
    test::TempDir dir;
    const ConversionOptions options{.factor = c.factor, .width = c.fixedWidth, .height = c.fixedHeight};
    ASSERT_TRUE(WriteBmpFrames(&film, dir.file("walk"), options));
    ASSERT_TRUE(WriteJpgFrames(&film, dir.file("walk"), options));
    ASSERT_TRUE(WriteFlmFile(&film, dir.file("walk.flm"), options));
    EXPECT_EQ(Identify(dir.file("walk0000.bmp"), "%wx%h"), c.bmp);
    EXPECT_EQ(Identify(dir.file("walk0000.jpg"), "%wx%h"), c.others);
    FilmPtr flm = OpenFlmFilm(dir.file("walk.flm"));
    ASSERT_TRUE(flm);
    const Picture p = FilmPicture(*flm, Eye::Current, Tone::Colour);
    EXPECT_EQ(std::to_string(p.width) + "x" + std::to_string(p.height), c.others);
}

INSTANTIATE_TEST_SUITE_P(From322x240, FrameSize,
                         testing::Values(SizeCase{1, 0, 0, "320x240", "322x240"},
                                         SizeCase{2, 0, 0, "160x120", "161x120"},
                                         SizeCase{2, 400, 100, "161x100", "161x100"},
                                         SizeCase{1, 160, 500, "160x240", "160x240"},
                                         SizeCase{4, 40, 20, "40x20", "40x20"}));

// Largest difference between what ImageMagick reads from `path` and the
// scripted picture of frame `number`, cut to width x height from column x0,
// row y0 (from the bottom) of the source.
int WorstDifference(const std::string& path, bool colour, int number, int x0, int y0, int width, int height)
{
    const std::vector<uint8_t> seen = OutsidePixels(path, colour ? 3 : 1);
    const int b = colour ? 3 : 1;
    if (seen.size() != size_t(width * height * b))
        return 999;
    int worst = 0;
    for (int row = 0; row < height; ++row)
        for (int x = 0; x < width; ++x) {
            const uint8_t v = ScriptedValue(number, x0 + x, y0 + height - 1 - row);
            // Outside readers give red, green, blue from the top row down.
            const int expected[3] = {colour ? 255 - v : v, v / 2, v};
            for (int c = 0; c < b; ++c)
                worst = std::max(worst, std::abs(seen[size_t((row * width + x) * b + c)] - expected[c]));
        }
    return worst;
}

// Odd-width crops, so that BMP rows carry padding; grey BMP files need their
// palette to read back.
TEST(FrameWriters, WriteNumberedFilesThatImageMagickReadsBack)
{
    test::TempDir dir;
    test::WriteBytes(dir.file("walk0007.bmp"), {'o', 'l', 'd'});  // replaced without a question
    for (const bool jpeg : {false, true})
        for (const bool colour : {true, false}) {
            ScriptedFilm film({{7, 10, 6}, {12345, 10, 6}});
            const ConversionOptions options{.colour = colour, .width = 5, .height = 3, .quality = 92};
            const std::string base = dir.file("walk");
            ASSERT_TRUE(jpeg ? WriteJpgFrames(&film, base, options) : WriteBmpFrames(&film, base, options));
            const std::string first = base + (jpeg ? "0007.jpg" : "0007.bmp");
            EXPECT_LE(WorstDifference(first, colour, 7, 2, 1, 5, 3), jpeg ? 12 : 0) << first;
            EXPECT_LE(WorstDifference(base + (jpeg ? "12345.jpg" : "12345.bmp"), colour, 12345, 2, 1, 5, 3),
                      jpeg ? 12 : 0);
            if (jpeg) {
                EXPECT_EQ(Identify(first, "%Q %[jpeg:sampling-factor] %[channels]"),
                          colour ? "92 2x2,1x1,1x1 srgb" : "92 1x1 gray");
                continue;
            }
            const std::vector<uint8_t> bytes = test::ReadBytes(first);
            ASSERT_GE(bytes.size(), 54u);
            EXPECT_EQ(bytes[28], colour ? 24 : 8);                    // bits per pixel
            EXPECT_EQ(bytes[46] | bytes[47] << 8, colour ? 0 : 256);  // colours used
        }
}

}  // namespace
}  // namespace plexo
