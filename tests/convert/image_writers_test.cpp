#include <gtest/gtest.h>

#include <filesystem>

#include "convert/frame_writers.h"
#include "film/factories.h"
#include "outside_readers.h"
#include "scripted_film.h"
#include "support/temp_dir.h"

namespace plexo {
namespace {

using test::Identify;
using test::OutsidePixels;
using test::ScriptedFilm;
using test::ScriptedValue;

enum class Output { Bmp, Jpg, Flm };

struct SizeCase {
    Output output;
    int factor;
    int fixedWidth, fixedHeight;
    int width, height;  // of the files written
};

// The size a written frame has, as an outside reader (or our .flm reader) sees it.
std::pair<int, int> WrittenSize(Output output, const std::string& path)
{
    if (output == Output::Flm) {
        FilmPtr film = OpenFlmFilm(path);
        const Picture p = film ? FilmPicture(*film, Eye::Current, Tone::Colour) : Picture{};
        return {p.width, p.height};
    }
    int w = 0, h = 0;
    std::sscanf(Identify(path, "%w %h").c_str(), "%d %d", &w, &h);
    return {w, h};
}

class FrameSize : public testing::TestWithParam<SizeCase> {};

TEST_P(FrameSize, FollowsTheFactorTheFixedSizeAndTheBmpRowRule)
{
    const SizeCase c = GetParam();
    ScriptedFilm film(ScriptedFilm::Uniform(1, 322, 240));
    test::TempDir dir;
    ConversionOptions options;
    options.factor = c.factor;
    options.width = c.fixedWidth;
    options.height = c.fixedHeight;
    std::string written;
    switch (c.output) {
    case Output::Bmp:
        ASSERT_TRUE(WriteBmpFrames(&film, dir.file("walk"), options));
        written = dir.file("walk0000.bmp");
        break;
    case Output::Jpg:
        ASSERT_TRUE(WriteJpgFrames(&film, dir.file("walk"), options));
        written = dir.file("walk0000.jpg");
        break;
    case Output::Flm:
        ASSERT_TRUE(WriteFlmFile(&film, dir.file("walk.flm"), options));
        written = dir.file("walk.flm");
        break;
    }
    EXPECT_EQ(WrittenSize(c.output, written), std::make_pair(c.width, c.height));
}

INSTANTIATE_TEST_SUITE_P(From322x240, FrameSize,
                         testing::Values(SizeCase{Output::Bmp, 1, 0, 0, 320, 240},
                                         SizeCase{Output::Bmp, 2, 0, 0, 160, 120},
                                         SizeCase{Output::Jpg, 1, 0, 0, 322, 240},
                                         SizeCase{Output::Jpg, 2, 0, 0, 161, 120},
                                         SizeCase{Output::Flm, 2, 0, 0, 161, 120},
                                         SizeCase{Output::Jpg, 2, 400, 100, 161, 100},
                                         SizeCase{Output::Bmp, 1, 160, 500, 160, 240},
                                         SizeCase{Output::Flm, 4, 40, 20, 40, 20}));

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

TEST(WriteBmpFrames, WritesNumberedFilesThatImageMagickReadsPixelForPixel)
{
    test::TempDir dir;
    for (bool colour : {true, false}) {
        ScriptedFilm film({{7, 10, 6}, {12345, 10, 6}});
        ConversionOptions options;
        options.colour = colour;
        options.width = 4;
        options.height = 3;
        ASSERT_TRUE(WriteBmpFrames(&film, dir.file("walk"), options));
        EXPECT_EQ(WorstDifference(dir.file("walk0007.bmp"), colour, 7, 3, 1, 4, 3), 0);
        EXPECT_EQ(WorstDifference(dir.file("walk12345.bmp"), colour, 12345, 3, 1, 4, 3), 0);
        const std::vector<uint8_t> bytes = test::ReadBytes(dir.file("walk0007.bmp"));
        ASSERT_GE(bytes.size(), 54u);
        EXPECT_EQ(bytes[28], colour ? 24 : 8);  // bits per pixel
        EXPECT_EQ(bytes[46] | bytes[47] << 8, colour ? 0 : 256);  // colours used
        if (!colour) {
            ASSERT_GE(bytes.size(), 54u + 1024);
            EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 54 + 4 * 200, bytes.begin() + 54 + 4 * 201),
                      (std::vector<uint8_t>{200, 200, 200, 0}));
        }
    }
}

TEST(WriteBmpFrames, KeepsTheFramesBeforeAFailureAndReplacesOlderFiles)
{
    test::TempDir dir;
    test::WriteBytes(dir.file("walk0000.bmp"), {'o', 'l', 'd'});
    ScriptedFilm film({{0, 8, 2}, {1, 8, 2}, {2, 8, 2, false}, {3, 8, 2}});
    EXPECT_FALSE(WriteBmpFrames(&film, dir.file("walk"), {}));
    EXPECT_EQ(Identify(dir.file("walk0000.bmp"), "%w %h"), "8 2");
    EXPECT_TRUE(std::filesystem::exists(dir.file("walk0001.bmp")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("walk0002.bmp")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("walk0003.bmp")));
}

TEST(WriteJpgFrames, WritesColourAt420AndTheQualityAskedForAndGreyAsOnePlane)
{
    test::TempDir dir;
    for (bool colour : {true, false}) {
        ScriptedFilm film({{4, 48, 32}});
        ConversionOptions options;
        options.colour = colour;
        options.quality = 92;
        const std::string base = dir.file(colour ? "c" : "g");
        ASSERT_TRUE(WriteJpgFrames(&film, base, options));
        EXPECT_EQ(Identify(base + "0004.jpg", "%Q %[jpeg:sampling-factor] %[channels]"),
                  colour ? "92 2x2,1x1,1x1 srgb" : "92 1x1 gray");
        EXPECT_LE(WorstDifference(base + "0004.jpg", colour, 4, 0, 0, 48, 32), 12);
    }
}

}  // namespace
}  // namespace plexo
