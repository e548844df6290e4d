#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>

#include "convert/frame_writers.h"
#include "film/factories.h"
#include "scripted_film.h"
#include "support/outside_programs.h"
#include "support/temp_dir.h"

namespace plexo {
namespace {

using test::Identify;
using test::ScriptedFilm;

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

// Largest difference between the pixels read back, at(x, y, c) with y from
// the bottom and c blue, green, red (grey: 0), and the scripted picture of
// frame `number` cut to 5 x 3 from column 2, row 1.
template <typename At>
int WorstDifference(bool colour, int number, At at)
{
    int worst = 0;
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            for (int c = 0; c < (colour ? 3 : 1); ++c)
                worst = std::max(worst, std::abs(at(x, y, c) - test::ScriptedByte(number, x + 2, y + 1, c)));
    return worst;
}

// Odd-width crops, so that BMP rows carry padding; grey BMP files need their
// palette to read back. Every kind holds the numbers it was given, a .flm
// file their low 16 bits.
TEST(FrameWriters, WriteWhatImageMagickAndTheFlmReaderReadBack)
{
    test::TempDir dir;
    test::WriteBytes(dir.file("walk0007.bmp"), {'o', 'l', 'd'});  // replaced without a question
    for (const std::string kind : {"bmp", "jpg", "flm", "packed"})
        for (const bool colour : {true, false}) {
            ScriptedFilm film({{7, 10, 6}, {70000, 10, 6}});
            const bool packed = kind == "packed", lossy = packed || kind == "jpg";
            const int b = colour ? 3 : 1;
            const ConversionOptions options{
                .colour = colour, .width = 5, .height = 3, .quality = 92, .compress = int(packed)};
            const std::string base = dir.file("walk"), what = kind + (colour ? " colour" : " grey");
            if (kind == "bmp" || kind == "jpg") {
                ASSERT_TRUE(kind == "bmp" ? WriteBmpFrames(&film, base, options) : WriteJpgFrames(&film, base, options));
                for (const int number : {7, 70000}) {
                    const auto seen = test::OutsidePixels(base + (number == 7 ? "0007." : "70000.") + kind, b);
                    ASSERT_EQ(seen.size(), size_t(15 * b)) << what;
                    // Outside readers give red, green, blue from the top row down.
                    const auto at = [&](int x, int y, int c) { return seen[size_t(((2 - y) * 5 + x) * b + b - 1 - c)]; };
                    EXPECT_LE(WorstDifference(colour, number, at), lossy ? 12 : 0) << what;
                }
                if (kind == "jpg") {
                    EXPECT_EQ(Identify(base + "0007.jpg", "%Q %[jpeg:sampling-factor] %[channels]"),
                              colour ? "92 2x2,1x1,1x1 srgb" : "92 1x1 gray");
                    continue;
                }
                const std::vector<uint8_t> bmp = test::ReadBytes(base + "0007.bmp");
                EXPECT_TRUE(bmp[28] == (colour ? 24 : 8) && (bmp[46] | bmp[47] << 8) == (colour ? 0 : 256))
                    << "bits per pixel and colours used";
                continue;
            }
            ASSERT_TRUE(WriteFlmFile(&film, base + ".flm", options));
            // Flags colour, numbered and extended; a packed film's extension
            // of length 4 holds its packed flag; a raw one holds two numbered
            // frames and nothing more.
            std::vector<uint8_t> head, bytes = test::ReadBytes(base + ".flm");
            for (const uint32_t v : {2u | colour | (packed ? 4u : 0u), 2u, 5u, 3u, 4u, 1u})
                test::PutU32(head, v);
            head.resize(packed ? 24 : 16);
            EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + std::min(bytes.size(), head.size())), head);
            EXPECT_TRUE(packed || bytes.size() == size_t(16 + 2 * (2 + 15 * b))) << what;
            FilmPtr flm = OpenFlmFilm(base + ".flm");
            ASSERT_TRUE(flm && flm->FrameCount() == 2) << what;
            for (const int number : {7, 70000}) {
                EXPECT_EQ(flm->FrameNumber(), number & 0xFFFF);
                const Picture p = FilmPicture(*flm, Eye::Current, colour ? Tone::Colour : Tone::Grey);
                ASSERT_TRUE(p.width == 5 && p.height == 3) << what;
                const auto at = [&](int x, int y, int c) { return p.row(y)[x * b + c]; };
                EXPECT_LE(WorstDifference(colour, number, at), lossy ? 12 : 0) << what;
                flm->Next();
            }
        }
}

struct FlmFailure {
    const char* what;
    std::vector<test::ScriptedFrame> frames;
    int factor;
    int stopAfter;  // frames written before a stop is asked for; -1 never
};

class FlmRefusal : public testing::TestWithParam<FlmFailure> {};

TEST_P(FlmRefusal, LeavesNoFileAndTheOlderOneUntouched)
{
    const FlmFailure& c = GetParam();
    test::TempDir dir;
    const std::string name = dir.file("walk.flm");
    test::WriteBytes(name, {'o', 'l', 'd'});
    ScriptedFilm film(c.frames);
    std::atomic<bool> stop{false};
    const ConversionControl control{[&](int done, int) { stop = done == c.stopAfter; }, &stop};
    EXPECT_FALSE(WriteFlmFile(&film, name, {.colour = false, .factor = c.factor}, control)) << c.what;
    EXPECT_EQ(test::ReadBytes(name), (std::vector<uint8_t>{'o', 'l', 'd'})) << c.what;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FlmRefusal,
    testing::Values(FlmFailure{"no factor", {{0, 4, 4}}, 0, -1},
                    FlmFailure{"a frame without picture", {{0, 4, 4}, {1, 0, 0}, {2, 4, 4}}, 1, -1},
                    FlmFailure{"frames of different sizes", {{0, 4, 4}, {1, 6, 4}}, 1, -1},
                    FlmFailure{"wider than the reader accepts", {{0, 5001, 1}}, 1, -1},
                    FlmFailure{"taller than the reader accepts", {{0, 1, 5001}}, 1, -1},
                    FlmFailure{"a stop after the first frame", {{0, 4, 4}, {1, 4, 4}, {2, 4, 4}}, 1, 1}));

}  // namespace
}  // namespace plexo
